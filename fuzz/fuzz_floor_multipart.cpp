// Any bytes as an upload form: its first line the Content-Type, the rest
// the body. A form taken is within the bounds, and written out again with
// its own boundary it reads back as the same fields.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "multipart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t eol = all.find('\n');
    if (eol == std::string_view::npos) return 0;
    const std::string_view type = all.substr(0, eol), body = all.substr(eol + 1);
    std::string why;
    const auto parts = taplink::ParseMultipart(type, body, &why);
    if (!parts) {
        if (why.empty()) std::abort();
        return 0;
    }
    if (parts->size() > taplink::kMostFormParts) std::abort();
    std::size_t total = 0;
    for (const auto& p : *parts)
        total += p.body.size();
    if (total > body.size()) std::abort();
    // The same fields under a boundary of our own, which no body holds.
    const std::string boundary = "b0undary-of-the-fuzzer";
    std::string again;
    for (const auto& p : *parts) {
        if (p.body.find(boundary) != std::string::npos || p.name.find('"') != std::string::npos ||
            p.filename.find('"') != std::string::npos || p.name.find('\r') != std::string::npos ||
            p.filename.find('\r') != std::string::npos)
            return 0;
        again += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + p.name + "\"";
        if (p.file) again += "; filename=\"" + p.filename + "\"";
        again += "\r\n\r\n" + p.body + "\r\n";
    }
    again += "--" + boundary + "--\r\n";
    const auto read =
        taplink::ParseMultipart("multipart/form-data; boundary=" + boundary, again, &why);
    if (!read || read->size() != parts->size()) std::abort();
    for (std::size_t i = 0; i < read->size(); ++i) {
        const auto &a = (*parts)[i], &b = (*read)[i];
        if (a.name != b.name || a.file != b.file || a.filename != b.filename || a.body != b.body)
            std::abort();
    }
    return 0;
}
