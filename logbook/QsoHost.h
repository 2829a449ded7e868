#pragma once
// What the QSO in progress needs from the station that owns it: the operator's answers, the
// messages, the data link and the clock. The station implements it with its host's message
// boxes; tests script it.

#include <string_view>

#include "logbook/LogTime.h"

namespace tarnvel::logbook {

enum class QsoIcon { Information, Question, Warning, Error };
enum class QsoButtons { OkCancel, YesNo };

class QsoHost {
  public:
    virtual ~QsoHost() = default;
    // A modal question; true for OK or Yes.
    virtual bool ask(std::string_view text, QsoButtons buttons, QsoIcon icon) = 0;
    virtual void tell(std::string_view text, QsoIcon icon) = 0;
    // A QSO command for the external program ("Save", "Remove").
    virtual void qsoCommand(std::string_view command) = 0;
    // The QSO data changed: published data refreshed, log bar redrawn.
    virtual void qsoChanged() = 0;
    virtual UtcSeconds utcNow() const = 0;
};

}  // namespace tarnvel::logbook
