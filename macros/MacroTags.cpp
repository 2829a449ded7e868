#include "macros/MacroTags.h"

#include <array>

#include "macros/ControlCharacters.h"

namespace tarnvel::macros {

namespace {

using K = MacroTagKind;
using T = MacroTag;
using A = MacroAction;
using F = MacroField;

constexpr MacroTagInfo field(T tag, std::string_view text, std::string_view help, F f) {
    return {tag, text, help, K::Field, f};
}
constexpr MacroTagInfo constant(T tag, std::string_view text, std::string_view help,
                                std::string_view value) {
    return {tag, text, help, K::Constant, F::MyCall, value};
}
constexpr MacroTagInfo action(T tag, std::string_view text, std::string_view help, A a) {
    return {tag, text, help, K::Action, F::MyCall, {}, a};
}
constexpr MacroTagInfo special(T tag, std::string_view text, std::string_view help,
                               std::string_view helpForm = {}) {
    return {tag, text, help, K::Special, F::MyCall, {}, A::Transmit, helpForm};
}

constexpr std::array kTags{
    field(T::MyName, "<MYNAME>", "your name", F::MyName),
    field(T::MyQth, "<MYQTH>", "your QTH", F::MyQth),
    field(T::MyCall, "<MYCALL>", "your callsign", F::MyCall),
    field(T::Call, "<CALL>", "callsign of other station", F::Call),
    field(T::Name, "<NAME>", "name of other station operator", F::Name),
    field(T::Qth, "<QTH>", "QTH of other station", F::Qth),
    field(T::Notes, "<NOTES>", "QSO notes", F::Notes),
    special(T::Rst, "<RST>", "RST for other station"),
    field(T::MyRst, "<MYRST>", "your RST", F::RstReceived),
    constant(T::Version, "<VER>", "insert version number", kVersionText),
    constant(T::Rx, "<RX>", "end transmission", kRxTagText),
    constant(T::RxAndClear, "<RXANDCLEAR>", "RX and clear window", kRxAndClearTagText),
    special(T::CwId, "<CWID>", "transmit CWID"),
    constant(T::CarriageReturn, "<CR>", "send Carriage Return  symbol", "\r"),
    constant(T::LineFeed, "<LF>", "send Line Feed symbol", "\n"),
    constant(T::CrLf, "<CRLF>", "send both CR and LF", "\r\n"),
    action(T::ClearWindow, "<CLEARWINDOW>", "clear current window", A::ClearActiveWindow),
    action(T::ClearRx, "<CLEARRX>", "clear RX window", A::ClearReceiveWindow),
    action(T::ClearTx, "<CLEARTX>", "clear TX window", A::ClearTransmitWindow),
    special(T::TxToggle, "<TXTOGGLE>", "toggle TX/RX"),
    special(T::Tx, "<TX>", "start transmission"),
    special(T::BandSelect, "<BAND:", "Select band", "<BAND:NNm>"),
    action(T::SeekLeft, "<SEEKLEFT>", "seek left", A::SeekLeft),
    action(T::SeekRight, "<SEEKRIGHT>", "seek right", A::SeekRight),
    special(T::Tune, "<TUNE>", "tune your transmitter"),
    action(T::Bpsk, "<BPSK>", "", A::ModeBpsk31),
    action(T::Bpsk63, "<BPSK63>", "", A::ModeBpsk63),
    action(T::Qpsk, "<QPSK>", "", A::ModeQpsk31),
    action(T::Fsk31, "<FSK31>", "", A::ModeFsk31),
    action(T::Fsk63, "<FSK63>", "", A::ModeFsk63),
    special(T::Imd, "<IMD>", "insert IMD value"),
    special(T::Lookup, "<LOOKUP>", "lookup call in a callbook"),
    special(T::Time, "<TIME>", "insert current time"),
    special(T::Date, "<DATE>", "insert current date"),
    special(T::File, "<FILE>", "insert contents of file"),
    special(T::FileNamed, "<FILE:", ""),
    action(T::Bookmark, "<BOOKMARK>", "toggle bookmark", A::ToggleBookmark),
    action(T::Phase, "<PHASE>", "view or hide phase scope", A::TogglePhaseScope),
    action(T::SaveQso, "<SAVEQSO>", "save QSO data", A::SaveQso),
    action(T::LogBar, "<LOGBAR>", "view or hide Log bar", A::ToggleLogBar),
    action(T::LockTxToggle, "<LOCKTXTOGGLE>", "lock/unlock TX frequency", A::ToggleTransmitLock),
    action(T::LockTx, "<LOCKTX>", "lock TX frequency", A::LockTransmit),
    action(T::UnlockTx, "<UNLOCKTX>", "", A::UnlockTransmit),
    action(T::Squelch, "<SQUELCH>", "toggle Squelch", A::ToggleSquelch),
    action(T::SquelchOn, "<SQUELCHON>", "switch Squelch on", A::SquelchOn),
    action(T::SquelchOff, "<SQUELCHOFF>", "switch Squelch off", A::SquelchOff),
    action(T::Afc, "<AFC>", "toggle AFC", A::ToggleAfc),
    action(T::AfcOn, "<AFCON>", "switch AFC on", A::AfcOn),
    action(T::AfcOff, "<AFCOFF>", "switch AFC off", A::AfcOff),
    action(T::Snap, "<SNAP>", "toggle Snap option", A::ToggleSnap),
    action(T::SnapOn, "<SNAPON>", "switch Snap on", A::SnapOn),
    action(T::SnapOff, "<SNAPOFF>", "switch Snap off", A::SnapOff),
    action(T::Threshold, "<THRESHOLD>", "display Squelch dialog", A::ToggleThresholdWindow),
    action(T::Volume, "<VOLUME>", "set soundcard volume", A::InputVolume),
    action(T::InputVolume, "<INPUTVOLUME>", "", A::InputVolume),
    action(T::OutputVolume, "<OUTPUTVOLUME>", "", A::OutputVolume),
    action(T::BandPages, "<BAND>", "", A::BandPagesDialog),
    special(T::QsoCommand, "<QSOCMDDDE:", "DDE command to ext. program", "<QSOCMDDDE:command>"),
    action(T::ChannelsClear, "<CHANNELSCLEAR>", "clear multichannel window", A::ClearChannels),
    action(T::ChannelsToggle, "<CHANNELSTOGGLE>", "toggle multichannel window", A::ToggleChannels),
    action(T::ChannelsOn, "<CHANNELSON>", "enable multichannel window", A::ChannelsOn),
    action(T::ChannelsOff, "<CHANNELSOFF>", "", A::ChannelsOff),
};

// The table is indexed by the enum: each entry must stand at its tag's place.
constexpr bool tableFollowsTheEnum() {
    for (std::size_t i = 0; i < kTags.size(); ++i) {
        if (static_cast<std::size_t>(kTags[i].tag) != i) return false;
    }
    return true;
}
static_assert(kTags.size() == 62);
static_assert(tableFollowsTheEnum());

}  // namespace

std::span<const MacroTagInfo> macroTags() {
    return kTags;
}

const MacroTagInfo& macroTagInfo(MacroTag tag) {
    return kTags[static_cast<std::size_t>(tag)];
}

std::string_view macroTagHelpForm(const MacroTagInfo& info) {
    return info.helpForm.empty() ? info.text : info.helpForm;
}

}  // namespace tarnvel::macros
