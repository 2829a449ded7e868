#pragma once
// The tags of the macro language, in the order expansion processes them. One table holds
// each tag's text, its help text and what kind of step it is.

#include <optional>
#include <span>
#include <string_view>

#include "macros/MacroAction.h"
#include "macros/MacroContext.h"

namespace tarnvel::macros {

enum class MacroTag {
    MyName,
    MyQth,
    MyCall,
    Call,
    Name,
    Qth,
    Notes,
    Rst,
    MyRst,
    Version,
    Rx,
    RxAndClear,
    CwId,
    CarriageReturn,
    LineFeed,
    CrLf,
    ClearWindow,
    ClearRx,
    ClearTx,
    TxToggle,
    Tx,
    BandSelect,
    SeekLeft,
    SeekRight,
    Tune,
    Bpsk,
    Bpsk63,
    Qpsk,
    Fsk31,
    Fsk63,
    Imd,
    Lookup,
    Time,
    Date,
    File,
    FileNamed,
    Bookmark,
    Phase,
    SaveQso,
    LogBar,
    LockTxToggle,
    LockTx,
    UnlockTx,
    Squelch,
    SquelchOn,
    SquelchOff,
    Afc,
    AfcOn,
    AfcOff,
    Snap,
    SnapOn,
    SnapOff,
    Threshold,
    Volume,
    InputVolume,
    OutputVolume,
    BandPages,
    QsoCommand,
    ChannelsClear,
    ChannelsToggle,
    ChannelsOn,
    ChannelsOff,
};

enum class MacroTagKind {
    Field,     // replaced by a field of the context
    Constant,  // replaced by a fixed text
    Action,    // removed; its action runs once when it occurs
    Special,   // its own rule in the expander
};

struct MacroTagInfo {
    MacroTag tag;
    std::string_view text;  // as matched; the argument tags only up to the colon
    std::string_view help;  // empty: the tag works but is not in the help list
    MacroTagKind kind;
    MacroField field = MacroField::MyCall;       // Field
    std::string_view constant = {};              // Constant
    MacroAction action = MacroAction::Transmit;  // Action
    std::string_view helpForm = {};              // how the help list writes an argument tag
};

// Every tag, in processing order.
std::span<const MacroTagInfo> macroTags();
const MacroTagInfo& macroTagInfo(MacroTag tag);

// The text the help list shows for a tag ("<BAND:NNm>" for "<BAND:").
std::string_view macroTagHelpForm(const MacroTagInfo& info);

}  // namespace tarnvel::macros
