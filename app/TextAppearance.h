#pragma once
// How the text windows look, as the station stores it: the font (section "Font", the fields of
// one font description) and the colours, named by what they colour.

#include <string>

namespace tarnvel::app {

struct FontDescription {
    std::string faceName;  // empty: the desktop's default font
    int height = 0;        // negative: character height in pixels; 0: the default size
    int weight = 400;      // 100 thin … 400 normal … 700 bold … 900 black
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class ColourRole {
    ReceiveText,
    TransmitText,
    ReceiveBackground,
    TransmitBackground,
    MultichannelText,
    MultichannelCarrier,
    MultichannelNoCarrier,
    MultichannelInactive,
};

}  // namespace tarnvel::app
