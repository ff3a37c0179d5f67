#include "log_line.h"

#include <cstdio>

std::string escapedBytes(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        switch (c) {
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\t':
            text += "\\t";
            break;
        case '"':
            text += "\\\"";
            break;
        case '\\':
            text += "\\\\";
            break;
        default:
            if (c >= 0x20 && c < 0x7f) {
                text += c;
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(static_cast<unsigned char>(c)));
                text += hex;
            }
        }
    }
    return text;
}

std::string logLine(double seconds, std::string_view kind, std::string_view bytes)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f ", seconds);
    return stamp + std::string(kind) + " \"" + escapedBytes(bytes) + "\"\n";
}
