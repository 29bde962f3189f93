// The receive line-end conversion ("receive crlf"), one output chunk at a time.
// Portable; runs on the engine thread that delivered the bytes.
#pragma once
#include <cstdint>

enum ReceiveCrlf {
    RECEIVE_CR_TO_CRLF = 0,
    RECEIVE_LF_TO_CRLF = 1,
    RECEIVE_AS_IS = 2,  // and any other value
};

constexpr std::uint32_t RECEIVE_CHUNK_BUFFER = 8192;
// A chunk is filled while fewer than this many bytes are in it; one input byte may add
// two, so a chunk holds at most RECEIVE_CHUNK_FILL + 1 bytes.
constexpr std::uint32_t RECEIVE_CHUNK_FILL = RECEIVE_CHUNK_BUFFER - 16;

// Converts input from the start into out (RECEIVE_CHUNK_BUFFER bytes) until the input
// is used up or the chunk is full. Returns the chunk length; *consumed is the number
// of input bytes it holds.
std::uint32_t receive_convert_chunk(int mode, const unsigned char* input, std::uint32_t length,
                                    std::uint32_t* consumed, unsigned char* out);
