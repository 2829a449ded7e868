#include "macros/MacroExpander.h"

#include <algorithm>

#include "macros/CallbookUrl.h"
#include "macros/ControlCharacters.h"
#include "macros/MacroText.h"
#include "macros/MacroTime.h"

namespace tarnvel::macros {

namespace {

std::string_view tagText(MacroTag tag) {
    return macroTagInfo(tag).text;
}

}  // namespace

std::string MacroExpander::expand(std::string_view macro) {
    std::vector<FileIdentity> includes;
    return expandIncluded(macro, includes);
}

std::string MacroExpander::expandIncluded(std::string_view macro,
                                          std::vector<FileIdentity>& includes) {
    MacroText text(macro);
    for (const MacroTagInfo& info : macroTags()) {
        switch (info.kind) {
            case MacroTagKind::Field:
                if (text.contains(info.text)) substitute(text, info.tag, context_.text(info.field));
                break;
            case MacroTagKind::Constant:
                text.replaceAll(info.text, info.constant);
                break;
            case MacroTagKind::Action:
                if (text.removeAll(info.text)) context_.run(info.action);
                break;
            case MacroTagKind::Special:
                applySpecial(info.tag, text, includes);
                break;
        }
    }
    return text.str();
}

void MacroExpander::applySpecial(MacroTag tag, MacroText& text,
                                 std::vector<FileIdentity>& includes) {
    switch (tag) {
        case MacroTag::Rst:
            expandRst(text);
            break;
        case MacroTag::CwId:
            expandCwId(text);
            break;
        case MacroTag::TxToggle:
            expandTxToggle(text);
            break;
        case MacroTag::Tx:
            startTransmitting(text);
            break;
        case MacroTag::BandSelect:
            selectBand(text);
            break;
        case MacroTag::Tune:
            tune(text);
            break;
        case MacroTag::Imd:
            expandImd(text);
            break;
        case MacroTag::Lookup:
            lookUpCall(text);
            break;
        case MacroTag::Time:
            if (text.contains(tagText(tag)))
                substitute(text, tag, formatMacroTime(context_.now(), context_.useUtc()));
            break;
        case MacroTag::Date:
            if (text.contains(tagText(tag)))
                substitute(text, tag, formatMacroDate(context_.now(), context_.useUtc()));
            break;
        case MacroTag::File:
            insertChosenFile(text);
            break;
        case MacroTag::FileNamed:
            includeNamedFile(text, includes);
            break;
        case MacroTag::QsoCommand:
            sendExternalCommand(text);
            break;
        default:
            break;
    }
}

// Substituted values come from other people and programs (the log bar is filled from
// received text and by the data link): their control characters are made harmless.
void MacroExpander::substitute(MacroText& text, MacroTag tag, std::string_view value) {
    text.replaceAll(tagText(tag), withoutControlCharacters(value, context_.characterSet()));
}

void MacroExpander::expandRst(MacroText& text) {
    if (!text.contains(tagText(MacroTag::Rst))) return;
    if (context_.text(MacroField::RstSent).empty()) {
        if (const auto answer = context_.prompt(kRstPrompt, kRstPromptInitial)) {
            context_.setRstSent(*answer);
        }
    }
    substitute(text, MacroTag::Rst, context_.text(MacroField::RstSent));
}

void MacroExpander::expandCwId(MacroText& text) {
    const bool sends = context_.useCwId() && !context_.text(MacroField::CwIdText).empty();
    text.replaceAll(tagText(MacroTag::CwId), sends ? kCwIdTagText : std::string_view{});
}

void MacroExpander::expandTxToggle(MacroText& text) {
    const std::string_view tag = tagText(MacroTag::TxToggle);
    switch (context_.state()) {
        case MacroStationState::Stopped:
            if (text.removeAll(tag)) context_.run(MacroAction::ReceiveCommand);
            break;
        case MacroStationState::Receiving:
            if (text.removeAll(tag)) context_.run(MacroAction::Transmit);
            break;
        case MacroStationState::Transmitting:
            text.replaceAll(tag, kTxToggleWhileTransmitting);
            break;
    }
}

void MacroExpander::startTransmitting(MacroText& text) {
    if (text.removeAll(tagText(MacroTag::Tx)) && context_.state() == MacroStationState::Receiving) {
        context_.run(MacroAction::Transmit);
    }
}

// Only the first "<BAND:" is handled; it goes whether or not a band page has the name.
void MacroExpander::selectBand(MacroText& text) {
    const auto tag = text.findArgumentTag(tagText(MacroTag::BandSelect));
    if (!tag) return;
    text.removeArgumentTag(*tag);
    context_.selectBand(tag->argument);
}

void MacroExpander::tune(MacroText& text) {
    if (text.removeAll(tagText(MacroTag::Tune)) &&
        context_.state() == MacroStationState::Receiving) {
        context_.run(MacroAction::Tune);
    }
}

void MacroExpander::expandImd(MacroText& text) {
    if (!text.contains(tagText(MacroTag::Imd))) return;
    const auto readout = context_.imdReadout();
    substitute(text, MacroTag::Imd, readout ? std::string_view(*readout) : kImdNotMeasured);
}

void MacroExpander::lookUpCall(MacroText& text) {
    if (!text.removeAll(tagText(MacroTag::Lookup))) return;
    const std::string call = context_.text(MacroField::Call);
    const std::string urlTemplate = context_.callbookUrlTemplate();
    if (call.empty() || urlTemplate.empty()) return;
    context_.openUrl(fillCallbookUrl(urlTemplate, call));
}

// The chosen file is sent as it is: its tags are not expanded.
void MacroExpander::insertChosenFile(MacroText& text) {
    const std::string_view tag = tagText(MacroTag::File);
    if (!text.contains(tag)) return;
    std::string contents;
    if (const auto name = context_.chooseFileToSend()) {
        if (auto file = readSendFile(*name, context_.characterSet())) {
            contents = std::move(file->text);
        } else {
            context_.showWarning(std::string(kCannotOpenMessage) + *name, kWarningCaption);
        }
    }
    text.replaceAll(tag, contents);
}

// Only the first "<FILE:name>" is handled. Its file is expanded as a macro of its own;
// a file that cannot be read, one already being included, or one too deep gives nothing.
void MacroExpander::includeNamedFile(MacroText& text, std::vector<FileIdentity>& includes) {
    const auto tag = text.findArgumentTag(tagText(MacroTag::FileNamed));
    if (!tag) return;
    std::string expanded;
    if (static_cast<int>(includes.size()) < kMaxIncludeDepth) {
        if (auto file = readSendFile(tag->argument, context_.characterSet());
            file && std::find(includes.begin(), includes.end(), file->identity) == includes.end()) {
            includes.push_back(file->identity);
            expanded = expandIncluded(file->text, includes);
            includes.pop_back();
        }
    }
    text.replaceArgumentTag(*tag, expanded);
}

void MacroExpander::sendExternalCommand(MacroText& text) {
    const auto tag = text.findArgumentTag(tagText(MacroTag::QsoCommand));
    if (!tag) return;
    text.removeArgumentTag(*tag);
    context_.sendExternalCommand(tag->argument);
}

}  // namespace tarnvel::macros
