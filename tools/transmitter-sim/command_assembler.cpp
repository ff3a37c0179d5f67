#include "command_assembler.h"

namespace {

constexpr char endOfText = '\x03';
constexpr char backspace = '\x08';

} // namespace

std::string ReceivedItem::wire() const
{
    switch (kind) {
    case Kind::EndOfText:
        return std::string(1, endOfText);
    case Kind::Backspace:
        return std::string(1, backspace);
    case Kind::Command:
        break;
    }
    return text + '\r';
}

std::vector<ReceivedItem> CommandAssembler::feed(std::string_view bytes)
{
    std::vector<ReceivedItem> items;
    for (const char byte : bytes) {
        switch (byte) {
        case '\r':
            items.push_back({ReceivedItem::Kind::Command, m_pending, m_overflowed});
            reset();
            break;
        case '\n':
            break;
        case endOfText:
            reset();
            items.push_back({ReceivedItem::Kind::EndOfText, {}, false});
            break;
        case backspace:
            reset();
            items.push_back({ReceivedItem::Kind::Backspace, {}, false});
            break;
        default:
            if (m_pending.size() < capacity)
                m_pending += byte;
            else
                m_overflowed = true;
        }
    }
    return items;
}

void CommandAssembler::reset()
{
    m_pending.clear();
    m_overflowed = false;
}
