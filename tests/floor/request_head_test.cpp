// The guard's reading of the bytes ahead of the HTTP server: what it
// refuses of each head, and that it finds the same however the bytes are cut
// into pieces, bodies counted past whatever they hold.
#include "request_head.h"

#include <gtest/gtest.h>

#include <string>

namespace taplink {
namespace {

TEST(RequestHead, RefusesBodiesItCannotBoundWhereverTheBytesAreCut) {
    const auto post = [](const std::string& headers, const std::string& body = {}) {
        return "POST /api/machines/lathe/outbox?name=a.nc HTTP/1.1\r\nHost: h\r\n" + headers +
               "\r\n" + body;
    };
    struct Case {
        const char* name;
        std::string bytes;
        int status;  // 0: none refused
        int heads;   // passed before any refusal
    };
    const Case cases[] = {
        {"a GET", "GET /api/machines HTTP/1.1\r\nHost: h\r\n\r\n", 0, 1},
        {"a body of 64 KiB, then a GET whose head it holds",
         post("Content-Length: 65536\r\n",
              "GET /x HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n" + std::string(65491, 'x')) +
             "GET / HTTP/1.1\r\n\r\n",
         0, 2},
        {"one byte over", post("content-length: 65537\r\n"), 413, 0},
        {"a page's upload form of 68 KiB",
         "POST /machines/lathe/upload HTTP/1.1\r\nContent-Length: 69632\r\n\r\n", 0, 1},
        {"a form one byte over",
         "POST /machines/lathe/upload HTTP/1.1\r\nContent-Length: 69633\r\n\r\n", 413, 0},
        {"chunked", post("Transfer-Encoding: chunked\r\n"), 411, 0},
        {"a sign", post("Content-Length: -5\r\n"), 400, 0},
        {"a plus", post("Content-Length: +5\r\n"), 400, 0},
        {"two lengths", post("Content-Length: 5\r\nContent-Length: 6\r\n"), 400, 0},
        {"a length of 20 digits", post("Content-Length: 18446744073709551621\r\n"), 400, 0},
        {"a second request over", "GET / HTTP/1.1\r\n\r\n" + post("Content-Length: 70000\r\n"), 413,
         1},
        {"a head over 16 KiB", "GET / HTTP/1.1\r\nX: " + std::string(16384, 'a') + "\r\n\r\n", 431,
         0},
        {"a head without its end", "GET / HTTP/1.1\n\n" + std::string(16384, 'a'), 431, 0},
    };
    for (const Case& c : cases) {
        for (const std::size_t piece : {c.bytes.size(), std::size_t{1}, std::size_t{7}}) {
            SCOPED_TRACE(std::string(c.name) + ", in pieces of " + std::to_string(piece));
            RequestStream stream;
            const HeadRefusal* refusal = nullptr;
            for (std::size_t at = 0; at < c.bytes.size() && !refusal; at += piece)
                refusal = stream.Feed(std::string_view(c.bytes).substr(at, piece));
            EXPECT_EQ(refusal ? refusal->status : 0, c.status);
            EXPECT_EQ(stream.Heads(), c.heads);
        }
    }
}

}  // namespace
}  // namespace taplink
