#include "logbook/QsoInProgress.h"

#include "logbook/FrequencyText.h"
#include "logbook/LogLine.h"
#include "modem/Mode.h"

namespace tarnvel::logbook {

std::string logModeName(modem::Mode mode) {
    return std::string(modem::modeInfo(mode).logText);
}

template <class Qso>
auto& QsoInProgress::fieldOf(Qso& qso, QsoField which) {
    switch (which) {
        case QsoField::Call:
            return qso.call_;
        case QsoField::Name:
            return qso.name_;
        case QsoField::RstReceived:
            return qso.rstReceived_;
        case QsoField::Qth:
            return qso.qth_;
        case QsoField::Notes:
            return qso.notes_;
        case QsoField::RstSent:
            break;
    }
    return qso.rstSent_;
}

std::string& QsoInProgress::fieldRef(QsoField which) {
    return fieldOf(*this, which);
}
const std::string& QsoInProgress::field(QsoField which) const {
    return fieldOf(*this, which);
}

bool QsoInProgress::isEmpty() const {
    return call_.empty() && name_.empty() && qth_.empty() && rstSent_.empty() &&
           rstReceived_.empty() && notes_.empty();
}

void QsoInProgress::stamp() {
    start_ = host_.utcNow();
    changed_ = true;
    host_.qsoChanged();
}

void QsoInProgress::setField(QsoField which, std::string text) {
    fieldRef(which) = std::move(text);
    stamp();
}

void QsoInProgress::appendWord(std::string& field, std::string_view word) {
    if (!field.empty()) field += ' ';
    field += word;
}

void QsoInProgress::putWordToLog(QsoField kind, std::string_view word) {
    switch (kind) {
        case QsoField::Call:
            call_ = toUpperAscii(word);
            if (call_.find(' ') == std::string::npos) {  // a single station, not "A and B"
                name_.clear();
                qth_.clear();
                fillNameAndQth();
                notes_.clear();
                rstSent_.clear();
                rstReceived_.clear();
            }
            break;
        case QsoField::Qth:
        case QsoField::Notes:
            appendWord(fieldRef(kind), word);
            break;
        case QsoField::Name:
        case QsoField::RstReceived:
        case QsoField::RstSent:
            fieldRef(kind) = std::string(word);
            break;
    }
    stamp();
}

void QsoInProgress::addCall(std::string_view word) {
    putWordToLog(QsoField::Call,
                 call_.empty() ? std::string(word) : call_ + " and " + std::string(word));
}

void QsoInProgress::fillNameAndQth() {
    if (call_.empty()) return;
    const EarlierQso earlier = log_.findEarlier(call_);
    if (!earlier.status) {
        host_.tell(earlier.status.error, QsoIcon::Warning);
        return;
    }
    if (!earlier.name.empty()) name_ = earlier.name;
    if (!earlier.qth.empty()) qth_ = earlier.qth;
}

void QsoInProgress::fillFromLog() {
    if (call_.empty()) return;
    fillNameAndQth();
    stamp();
}

QsoRecord QsoInProgress::recordToSave(const SaveContext& context) const {
    QsoRecord r;
    const size_t space = call_.find(' ');
    r.call =
        toUpperAscii(space == std::string::npos || space == 0 ? call_ : call_.substr(0, space));
    r.start = r.end = start_;
    r.mode = logModeName(context.operatingMode);
    r.rstSent = rstSent_;
    r.rstReceived = rstReceived_;
    r.name = name_;
    r.qth = qth_;
    r.notes = notes_;
    r.frequency1 = r.frequency2 = hertzOfKilohertz(context.bandKilohertz);
    return r;
}

SaveOutcome QsoInProgress::save(SaveConfirmation confirmation, const SaveContext& context) {
    if (call_.empty()) {
        host_.tell(kEmptyCallMessage, QsoIcon::Warning);
        return SaveOutcome::EmptyCall;
    }
    if (changed_) {
        if (confirmation == SaveConfirmation::Ask &&
            !host_.ask("Save QSO with " + call_ + " ?", QsoButtons::OkCancel, QsoIcon::Question))
            return SaveOutcome::Cancelled;
    } else if (!host_.ask(kAlreadySavedQuestion, QsoButtons::OkCancel, QsoIcon::Warning)) {
        return SaveOutcome::Cancelled;
    }
    if (!isLoggableTime(start_)) start_ = host_.utcNow();  // never stamped: the QSO is now
    host_.qsoCommand("Save");
    if (const LogStatus written = log_.append(recordToSave(context)); !written) {
        host_.tell(written.error + "\nQSO data not saved.", QsoIcon::Error);
        return SaveOutcome::Failed;  // the QSO stays unsaved
    }
    changed_ = false;
    host_.qsoChanged();
    return SaveOutcome::Saved;
}

bool QsoInProgress::clear() {
    if (isEmpty()) return false;
    host_.qsoCommand("Remove");
    for (std::string* f : {&call_, &name_, &qth_, &rstSent_, &rstReceived_, &notes_}) f->clear();
    changed_ = false;
    host_.qsoChanged();
    return true;
}

bool QsoInProgress::clearAsking() {
    if (isEmpty()) return false;
    if (!host_.ask(kClearQuestion, QsoButtons::OkCancel, QsoIcon::Question)) return false;
    return clear();
}

}  // namespace tarnvel::logbook
