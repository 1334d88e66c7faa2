#include "base/Format.h"

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Errors.h"

namespace veltra {

namespace {

// Rewrites every "%f" that has no precision into "%.2f".
std::string TwoDecimalFixed(const char* pattern)
{
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        out += *p;
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            out += *++p;
            continue;
        }
        const char* q = p + 1;
        bool hasPrecision = false;
        while (*q && std::strchr("-+ #0123456789.*lhLqjzt", *q)) {
            if (*q == '.')
                hasPrecision = true;
            ++q;
        }
        if (*q == 'f' && !hasPrecision) {
            out.append(p + 1, q);
            out += ".2f";
            p = q;
        }
    }
    return out;
}

} // namespace

std::string Format(const char* pattern, ...)
{
    const std::string fixedPattern = TwoDecimalFixed(pattern);
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::vsnprintf(nullptr, 0, fixedPattern.c_str(), copy);
    va_end(copy);
    std::string out;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), fixedPattern.c_str(), args);
        out.assign(buffer.data(), static_cast<size_t>(length));
    }
#pragma GCC diagnostic pop
    va_end(args);
    return out;
}

std::string UpperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

int StrToInt(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    const std::string digits = text.substr(begin, end - begin);
    size_t i = 0;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
        ++i;
    if (i == digits.size())
        throw EConvertError("'" + text + "' is not a valid integer value");
    for (; i < digits.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(digits[i])))
            throw EConvertError("'" + text + "' is not a valid integer value");
    errno = 0;
    const long value = std::strtol(digits.c_str(), nullptr, 10);
    if (errno == ERANGE || value > 2147483647L || value < -2147483648L)
        throw EConvertError("'" + text + "' is not a valid integer value");
    return static_cast<int>(value);
}

std::string EscapeControls(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (byte < 0x20 || byte == 0x7F)
            out += Format("\\x%02X", byte);
        else
            out += c;
    }
    return out;
}

} // namespace veltra
