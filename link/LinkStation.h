#pragma once
// What the data link needs from the station: the current text of every item, read when a
// client asks or an announce runs, and the writes clients may make (the other station's QSO
// fields). Values are UTF-8 on the link; the station converts from and to its own codes.

#include <string>

#include "link/LinkItem.h"

namespace tarnvel::link {

class LinkStation {
  public:
    virtual ~LinkStation() = default;
    virtual std::string linkValue(LinkItem item) const = 0;
    // A client wrote a writable item with a value that passed pokedValueProblem.
    virtual void linkPoked(LinkItem item, const std::string& value) = 0;
};

}  // namespace tarnvel::link
