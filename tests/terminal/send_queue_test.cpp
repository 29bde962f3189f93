// The send queue as the engines drive it: one write in flight, buffered sends
// copied and topped up from the pending buffer, direct sends from the caller's
// bytes, partial and zero-byte completions, and abort.
#include "terminal/send_queue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

const unsigned char* bytes(const std::string& s)
{
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string text(const SendWrite& w)
{
    return w.data ? std::string(reinterpret_cast<const char*>(w.data), static_cast<size_t>(w.length)) : "<none>";
}

class SendQueueTest : public testing::Test {
protected:
    std::unique_ptr<SendQueue> owned{new SendQueue()};
    SendQueue* q = owned.get();
    SendWrite w{};
};

TEST_F(SendQueueTest, BufferedSendOnIdleQueueIsCopiedAndWritten)
{
    std::string typed = "abc";
    EXPECT_EQ(3, send_queue_offer(q, bytes(typed), 3, false, &w));
    EXPECT_EQ("abc", text(w));
    EXPECT_EQ(q->in_flight_buffer, w.data);  // written from the copy, not the caller's bytes
    EXPECT_EQ(3, q->in_flight_length);
    EXPECT_EQ(0, q->sent_count);
}

TEST_F(SendQueueTest, BufferedSendLongerThanAChunkTakesOnly4096)
{
    std::string big(5000, 'x');
    EXPECT_EQ(4096, send_queue_offer(q, bytes(big), 5000, false, &w));
    EXPECT_EQ(4096, w.length);
}

TEST_F(SendQueueTest, TypingWhileInFlightGoesOutAsOnePendingWrite)
{
    send_queue_offer(q, bytes("a"), 1, false, &w);
    EXPECT_EQ(1, send_queue_offer(q, bytes("b"), 1, false, &w));
    EXPECT_EQ("<none>", text(w));
    EXPECT_EQ(2, send_queue_offer(q, bytes("cd"), 2, false, &w));
    EXPECT_EQ("<none>", text(w));
    EXPECT_FALSE(send_queue_completed(q, 1, &w));
    EXPECT_EQ("bcd", text(w));
    EXPECT_EQ(0, q->pending_length);
    EXPECT_FALSE(send_queue_completed(q, 3, &w));
    EXPECT_EQ("<none>", text(w));
    EXPECT_EQ(0, q->in_flight_length);
}

TEST_F(SendQueueTest, FullPendingBufferAcceptsOnlyWhatFits)
{
    send_queue_offer(q, bytes("a"), 1, false, &w);
    std::string block(4000, 'p');
    EXPECT_EQ(4000, send_queue_offer(q, bytes(block), 4000, false, &w));
    EXPECT_EQ(96, send_queue_offer(q, bytes(block), 4000, false, &w));
    EXPECT_EQ(0, send_queue_offer(q, bytes("z"), 1, false, &w));
}

TEST_F(SendQueueTest, PartialWriteSendsTheRestFromTheSamePlace)
{
    send_queue_offer(q, bytes("0123456789"), 10, false, &w);
    send_queue_completed(q, 4, &w);
    EXPECT_EQ("456789", text(w));
    send_queue_completed(q, 5, &w);
    EXPECT_EQ("9", text(w));
    send_queue_completed(q, 1, &w);
    EXPECT_EQ("<none>", text(w));
    EXPECT_EQ(0, q->in_flight_length);
}

TEST_F(SendQueueTest, ZeroWrittenIsRetriedFromTheSamePlace)
{
    send_queue_offer(q, bytes("hello"), 5, false, &w);
    send_queue_completed(q, 2, &w);
    send_queue_completed(q, 0, &w);
    EXPECT_EQ("llo", text(w));
    send_queue_completed(q, -1, &w);  // a failed write counts as none written
    EXPECT_EQ("llo", text(w));
}

TEST_F(SendQueueTest, DirectSendWritesTheCallersWholeBuffer)
{
    std::string paste(100000, 'q');
    EXPECT_EQ(100000, send_queue_offer(q, bytes(paste), 100000, true, &w));
    EXPECT_EQ(bytes(paste), w.data);
    EXPECT_EQ(100000, w.length);
    EXPECT_EQ(0, send_queue_offer(q, bytes(paste), 10, true, &w));  // busy: refused
    EXPECT_TRUE(send_queue_completed(q, 60000, &w));
    EXPECT_EQ(60000, q->sent_count);
    EXPECT_EQ(0, q->in_flight_length);
    EXPECT_EQ(nullptr, q->direct_buffer);
    EXPECT_EQ("<none>", text(w));  // the rest is the hook's decision
}

TEST_F(SendQueueTest, DirectSendRefusedWhileABufferedWriteRuns)
{
    send_queue_offer(q, bytes("a"), 1, false, &w);
    EXPECT_EQ(0, send_queue_offer(q, bytes("file"), 4, true, &w));
    EXPECT_EQ("<none>", text(w));
}

TEST_F(SendQueueTest, BytesQueuedBehindADirectWriteFollowIt)
{
    std::string paste = "pasted";
    send_queue_offer(q, bytes(paste), 6, true, &w);
    EXPECT_EQ(2, send_queue_offer(q, bytes("ty"), 2, false, &w));
    EXPECT_TRUE(send_queue_completed(q, 6, &w));
    EXPECT_EQ("ty", text(w));
    EXPECT_FALSE(send_queue_completed(q, 2, &w));
    EXPECT_EQ(0, q->in_flight_length);
}

TEST_F(SendQueueTest, AbortForgetsEverythingAndTheNextSendStartsClean)
{
    std::string paste = "pasted";
    send_queue_offer(q, bytes(paste), 6, true, &w);
    send_queue_offer(q, bytes("ty"), 2, false, &w);
    send_queue_reset(q);
    EXPECT_EQ(0, q->in_flight_length);
    EXPECT_EQ(0, q->pending_length);
    // A buffered send after the abort must not be mistaken for the aborted direct one.
    EXPECT_EQ(1, send_queue_offer(q, bytes("k"), 1, false, &w));
    EXPECT_FALSE(send_queue_completed(q, 1, &w));
    // A buffered completion that arrives after an abort changes nothing.
    send_queue_reset(q);
    EXPECT_FALSE(send_queue_completed(q, 5, &w));
    EXPECT_EQ("<none>", text(w));
}

TEST_F(SendQueueTest, AbortedDirectWriteStillReportsToItsHook)
{
    std::string paste = "pasted";
    send_queue_offer(q, bytes(paste), 6, true, &w);
    send_queue_reset(q);
    EXPECT_TRUE(send_queue_completed(q, 0, &w));  // the engine's report of the cancel
    EXPECT_EQ("<none>", text(w));
    EXPECT_EQ(0, q->in_flight_length);
}

TEST_F(SendQueueTest, NothingToSendIsRefused)
{
    EXPECT_EQ(0, send_queue_offer(q, nullptr, 3, false, &w));
    EXPECT_EQ(0, send_queue_offer(q, bytes("a"), 0, false, &w));
    EXPECT_EQ(0, send_queue_offer(nullptr, bytes("a"), 1, false, &w));
    EXPECT_EQ(0, q->in_flight_length);
}

}  // namespace
