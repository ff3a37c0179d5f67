#pragma once

#include <string>
#include <string_view>

// One line of the simulator's log:
//     12.345 RX "T012346\r"
// seconds since start with three decimals, a kind (START, RX, TX, CTL, NOTE)
// and the bytes in double quotes. Inside the quotes \r \n \t \" \\ stand for
// themselves and every other byte outside printable ASCII is written \xHH, so
// a line never breaks and a test can turn it back into the exact bytes.
std::string logLine(double seconds, std::string_view kind, std::string_view bytes);

std::string escapedBytes(std::string_view bytes);
