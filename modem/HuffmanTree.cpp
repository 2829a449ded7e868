#include "modem/HuffmanTree.h"

namespace tarnvel::modem {

HuffmanTree::HuffmanTree() {
    nodes_.emplace_back();  // the root
    for (int c = 0; c < kHuffmanCharacters; ++c) insert(c, PactorHuffmanCodeTable[c]);
}

// Walks the code from its most significant bit, creating inner nodes as needed. A later
// character overwrites a node an earlier one already marked, so the code shared by 28 and 90
// decodes to 90.
void HuffmanTree::insert(int character, const HuffmanCode& code) {
    int node = kRoot;
    for (int n = code.length - 1; n >= 0; --n) {
        const int bit = (code.bits >> n) & 1;
        if (nodes_[node].child[bit] == kNoChild) {
            nodes_[node].child[bit] = static_cast<int>(nodes_.size());
            nodes_.emplace_back();
        }
        node = nodes_[node].child[bit];
    }
    nodes_[node].value = character;
}

int HuffmanTree::step(int bit) {
    const int next = nodes_[cursor_].child[bit & 1];
    if (next == kNoChild) return kNoSuchCode;
    // Decoding stops at the first node holding a value, so a longer code passing through it
    // (that of 127 passes through 'e') is never produced.
    if (nodes_[next].value == kInnerNode) {
        cursor_ = next;
        return kNeedMoreBits;
    }
    cursor_ = kRoot;
    return nodes_[next].value;
}

}  // namespace tarnvel::modem
