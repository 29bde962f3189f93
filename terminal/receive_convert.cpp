// The receive line-end conversion; see receive_convert.h. Engine threads; no state.
#include "terminal/receive_convert.h"

#include <cstring>

std::uint32_t receive_convert_chunk(int mode, const unsigned char* input, std::uint32_t length,
                                    std::uint32_t* consumed, unsigned char* out)
{
    std::uint32_t in = 0, n = 0;
    if (mode == RECEIVE_CR_TO_CRLF) {
        while (in < length && n < RECEIVE_CHUNK_FILL) {
            unsigned char b = input[in++];
            out[n++] = b;
            if (b == 0x0D) out[n++] = 0x0A;
        }
    } else if (mode == RECEIVE_LF_TO_CRLF) {
        while (in < length && n < RECEIVE_CHUNK_FILL) {
            unsigned char b = input[in++];
            if (b == 0x0A) out[n++] = 0x0D;
            out[n++] = b;
        }
    } else {
        in = length < RECEIVE_CHUNK_FILL ? length : RECEIVE_CHUNK_FILL;
        std::memcpy(out, input, in);
        n = in;
    }
    *consumed = in;
    return n;
}
