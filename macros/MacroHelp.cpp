#include "macros/MacroHelp.h"

#include <array>
#include <initializer_list>

#include "macros/MacroTags.h"

namespace tarnvel::macros {

namespace {

using T = MacroTag;

// The groups, in the order the editor lists them.
const std::array<std::initializer_list<MacroTag>, 7> kHelpGroups{{
    {T::MyCall, T::MyName, T::MyQth, T::Call, T::Name, T::Qth, T::Rst, T::MyRst, T::Notes},
    {T::Tx, T::Rx, T::TxToggle, T::RxAndClear},
    {T::ClearWindow, T::ClearRx, T::ClearTx, T::CwId, T::CarriageReturn, T::LineFeed, T::CrLf,
     T::Version, T::Time, T::Date, T::File, T::Imd},
    {T::LogBar, T::Phase, T::Squelch, T::SquelchOn, T::SquelchOff, T::Afc, T::AfcOn, T::AfcOff,
     T::Snap, T::SnapOn, T::SnapOff, T::Threshold},
    {T::SeekLeft, T::SeekRight, T::Volume, T::Tune, T::Bookmark, T::SaveQso, T::LockTx,
     T::LockTxToggle},
    {T::BandSelect, T::QsoCommand, T::Lookup},
    {T::ChannelsToggle, T::ChannelsOn, T::ChannelsClear},
}};

constexpr std::string_view kHelpJoin = " - ";

std::vector<std::string> buildHelpLines() {
    std::vector<std::string> lines;
    for (const auto& group : kHelpGroups) {
        if (!lines.empty()) lines.emplace_back(kHelpSeparator);
        for (MacroTag tag : group) {
            const MacroTagInfo& info = macroTagInfo(tag);
            lines.push_back(std::string(macroTagHelpForm(info)) + std::string(kHelpJoin) +
                            std::string(info.help));
        }
    }
    return lines;
}

}  // namespace

const std::vector<std::string>& macroHelpLines() {
    static const std::vector<std::string> lines = buildHelpLines();
    return lines;
}

std::optional<HelpInsertion> helpLineInsertion(std::string_view helpLine,
                                               std::string_view currentLabel) {
    if (helpLine.empty() || helpLine.front() != '<') return std::nullopt;
    const std::size_t close = helpLine.find('>');
    if (close == std::string_view::npos) return std::nullopt;
    HelpInsertion insertion{std::string(helpLine.substr(0, close + 1)), std::nullopt};
    if (currentLabel.empty()) insertion.label = std::string(helpLine.substr(1, close - 1));
    return insertion;
}

}  // namespace tarnvel::macros
