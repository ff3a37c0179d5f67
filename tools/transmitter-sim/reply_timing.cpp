#include "reply_timing.h"

#include <algorithm>

namespace {

std::vector<std::string_view> cutIntoPieces(std::string_view reply, SimRandom &random)
{
    const int count = std::min(random.between(2, 3), int(reply.size()));
    std::vector<std::size_t> cuts;
    while (int(cuts.size()) < count - 1) {
        const auto cut = std::size_t(random.between(1, int(reply.size()) - 1));
        if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
            cuts.push_back(cut);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.push_back(reply.size());

    std::vector<std::string_view> pieces;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        pieces.push_back(reply.substr(from, cut - from));
        from = cut;
    }
    return pieces;
}

} // namespace

std::vector<Emission> scheduleReply(std::string_view reply, double startMs,
                                    const LineTiming &timing, SimRandom &random)
{
    std::vector<Emission> emissions;
    if (reply.empty())
        return emissions;

    std::vector<std::string_view> pieces {reply};
    if (timing.pieces && reply.size() >= 2)
        pieces = cutIntoPieces(reply, random);

    double at = startMs;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            at += random.between(3, 8);
        if (timing.characterMs > 0.0) {
            for (const char byte : pieces[i]) {
                at += timing.characterMs;
                emissions.push_back({at, std::string(1, byte)});
            }
        } else {
            emissions.push_back({at, std::string(pieces[i])});
        }
    }
    return emissions;
}
