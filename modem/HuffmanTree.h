#pragma once
// The PACTOR Huffman code and the tree that decodes it bit by bit.

#include <array>
#include <cstdint>
#include <vector>

namespace tarnvel::modem {

// One entry of the code: the number of bits and the bits, right-aligned, sent most significant
// bit first.
struct HuffmanCode {
    uint16_t length;
    uint16_t bits;
};

inline constexpr int kHuffmanCharacters = 128;

// Codes of the characters 0..127. The table is not prefix-free: 28 and 90 share one code, and
// the code of 127 begins with that of 101 ('e').
inline constexpr std::array<HuffmanCode, kHuffmanCharacters> PactorHuffmanCodeTable = {{
    {15, 0b111100111000110},   // 0
    {15, 0b111100111000101},   // 1
    {15, 0b111100111000100},   // 2
    {15, 0b111100111000011},   // 3
    {15, 0b111100111000010},   // 4
    {15, 0b111100111000001},   // 5
    {15, 0b111100111000000},   // 6
    {15, 0b111100001111111},   // 7
    {15, 0b111100001111110},   // 8
    {15, 0b111100001111101},   // 9
    {6, 0b001101},             // 10 LF
    {15, 0b111100001111100},   // 11
    {15, 0b111100001111011},   // 12
    {6, 0b001100},             // 13 CR
    {15, 0b111100001111010},   // 14
    {15, 0b111100001111001},   // 15
    {15, 0b111100001110111},   // 16
    {15, 0b111100001110110},   // 17
    {15, 0b111100001110101},   // 18
    {15, 0b111100001110100},   // 19
    {15, 0b111100001110011},   // 20
    {15, 0b111100001110010},   // 21
    {15, 0b111100001110001},   // 22
    {15, 0b111100001110000},   // 23
    {15, 0b111100001101111},   // 24
    {15, 0b111100001101110},   // 25
    {15, 0b111100111000111},   // 26
    {15, 0b111100001101101},   // 27
    {10, 0b1100011001},        // 28
    {15, 0b111100001101100},   // 29
    {15, 0b111100001111000},   // 30 filler
    {15, 0b110001101111111},   // 31
    {2, 0b10},                 // 32 space
    {11, 0b11110011101},       // 33 '!'
    {12, 0b110001101100},      // 34 '"'
    {13, 0b0010100011011},     // 35 '#'
    {13, 0b0001010111001},     // 36 '$'
    {12, 0b110001101101},      // 37 '%'
    {12, 0b111100111001},      // 38 '&'
    {12, 0b110001101110},      // 39 "'"
    {9, 0b110011011},          // 40 '('
    {9, 0b110011100},          // 41 ')'
    {12, 0b001010001100},      // 42 '*'
    {12, 0b111100111110},      // 43 '+'
    {7, 0b1100101},            // 44 ','
    {11, 0b00010101111},       // 45 '-'
    {7, 0b1100100},            // 46 '.'
    {11, 0b11110011110},       // 47 '/'
    {8, 0b11000111},           // 48 '0'
    {9, 0b001010000},          // 49 '1'
    {10, 0b0001011010},        // 50 '2'
    {10, 0b0001011011},        // 51 '3'
    {10, 0b0001011100},        // 52 '4'
    {10, 0b0001010101},        // 53 '5'
    {10, 0b0001011101},        // 54 '6'
    {10, 0b0001011110},        // 55 '7'
    {10, 0b0001011111},        // 56 '8'
    {10, 0b0001010010},        // 57 '9'
    {11, 0b00101000111},       // 58 ':'
    {14, 0b11110000110100},    // 59 ';'
    {13, 0b0001010111010},     // 60 '<'
    {10, 0b1111000010},        // 61 '='
    {12, 0b111100111111},      // 62 '>'
    {10, 0b1100110101},        // 63 '?'
    {13, 0b0001010111000},     // 64 '@'
    {8, 0b00101001},           // 65 'A'
    {8, 0b11001111},           // 66 'B'
    {8, 0b11110001},           // 67 'C'
    {7, 0b0001101},            // 68 'D'
    {8, 0b11000000},           // 69 'E'
    {8, 0b11001100},           // 70 'F'
    {11, 0b00010100111},       // 71 'G'
    {10, 0b0010100010},        // 72 'H'
    {8, 0b11110010},           // 73 'I'
    {10, 0b1100000110},        // 74 'J'
    {10, 0b1100110100},        // 75 'K'
    {9, 0b110011101},          // 76 'L'
    {9, 0b111101010},          // 77 'M'
    {9, 0b111100000},          // 78 'N'
    {9, 0b000101000},          // 79 'O'
    {9, 0b000101100},          // 80 'P'
    {10, 0b1111010111},        // 81 'Q'
    {9, 0b110000010},          // 82 'R'
    {7, 0b1111011},            // 83 'S'
    {8, 0b11110100},           // 84 'T'
    {10, 0b1100000111},        // 85 'U'
    {10, 0b1100011000},        // 86 'V'
    {10, 0b0001010100},        // 87 'W'
    {13, 0b0001010111011},     // 88 'X'
    {14, 0b00101000110101},    // 89 'Y'
    {10, 0b1100011001},        // 90 'Z'
    {14, 0b00101000110100},    // 91 '['
    {14, 0b11110000110101},    // 92 '\\'
    {14, 0b11110000110111},    // 93 ']'
    {14, 0b11000110111111},    // 94 '^'
    {12, 0b111100001100},      // 95 '_'
    {14, 0b11110000111000},    // 96 '`'
    {5, 0b01000},              // 97 'a'
    {7, 0b0000110},            // 98 'b'
    {6, 0b010011},             // 99 'c'
    {5, 0b00111},              // 100 'd'
    {3, 0b011},                // 101 'e'
    {7, 0b0000111},            // 102 'f'
    {6, 0b000111},             // 103 'g'
    {6, 0b000100},             // 104 'h'
    {4, 0b1101},               // 105 'i'
    {11, 0b00010100110},       // 106 'j'
    {7, 0b0010101},            // 107 'k'
    {6, 0b000010},             // 108 'l'
    {6, 0b001011},             // 109 'm'
    {4, 0b0101},               // 110 'n'
    {6, 0b010010},             // 111 'o'
    {8, 0b11000010},           // 112 'p'
    {10, 0b1111010110},        // 113 'q'
    {4, 0b1110},               // 114 'r'
    {5, 0b00100},              // 115 's'
    {5, 0b00000},              // 116 't'
    {5, 0b11111},              // 117 'u'
    {8, 0b11000011},           // 118 'v'
    {7, 0b0001100},            // 119 'w'
    {10, 0b1100011010},        // 120 'x'
    {10, 0b0001010110},        // 121 'y'
    {7, 0b1100010},            // 122 'z'
    {14, 0b11000110111110},    // 123 '{'
    {14, 0b11110000110110},    // 124 '|'
    {14, 0b11000110111101},    // 125 '}'
    {14, 0b11000110111100},    // 126 '~'
    {16, 0b0110001101111000},  // 127 DEL
}};

// A binary tree built from the code table and walked one received bit at a time.
class HuffmanTree {
  public:
    static constexpr int kNeedMoreBits = -1;  // the bits so far lead to an inner node
    static constexpr int kNoSuchCode = -2;    // no code continues with this bit

    HuffmanTree();

    // Follows one bit (0 or 1) from the cursor. Returns the decoded character (0..127) and
    // moves the cursor back to the root, or kNeedMoreBits, or kNoSuchCode with the cursor left
    // where it was.
    int step(int bit);

    // Starts the next code at the root.
    void resetCursor() { cursor_ = kRoot; }

    // Number of nodes, root included.
    int nodeCount() const { return static_cast<int>(nodes_.size()); }

  private:
    static constexpr int32_t kInnerNode = 255;
    static constexpr int kRoot = 0;
    static constexpr int kNoChild = -1;

    struct Node {
        int32_t value = kInnerNode;
        std::array<int, 2> child{kNoChild, kNoChild};
    };

    void insert(int character, const HuffmanCode& code);

    // Nodes live in one array (children are indices), so the tree is freed with the receiver
    // and walking it never allocates.
    std::vector<Node> nodes_;
    int cursor_ = kRoot;
};

}  // namespace tarnvel::modem
