#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One thing the transmitter took from the line: a command ended by a carriage
// return, or one of the two control characters it acts on by themselves.
struct ReceivedItem {
    enum class Kind { Command, EndOfText, Backspace };

    Kind kind = Kind::Command;
    std::string text; // the command without its carriage return
    bool overflowed = false; // more arrived than the buffer holds; text is cut

    // The bytes as they came over the line, for the log.
    std::string wire() const;
};

// Gathers command bytes until a carriage return. End of text and backspace
// throw away a half-received command; line feeds (from files with CR LF line
// ends) are ignored wherever they come. The buffer is bounded, so a peer that
// never sends a carriage return cannot make it grow without end.
class CommandAssembler {
public:
    static constexpr std::size_t capacity = 256;

    std::vector<ReceivedItem> feed(std::string_view bytes);
    void reset();

private:
    std::string m_pending;
    bool m_overflowed = false;
};
