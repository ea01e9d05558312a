// The key bytes that wait to be read: a fixed ring, decoded keys joining at
// the back and pushed-back keys at the front. Each byte carries whether it
// begins a two-byte key (a cursor or function key's 0 or 224), which a typed
// character never does, Ó (224 in code page 850) included.
#pragma once

namespace versos::console {

class KeyQueue {
public:
    static constexpr int kCapacity = 1024;

    bool empty() const { return count_ == 0; }
    int room() const { return kCapacity - count_; }
    bool push_back(unsigned char key, bool begins_pair) {
        if (count_ == kCapacity) return false;
        keys_[(first_ + count_++) % kCapacity] = Key{key, begins_pair};
        return true;
    }
    bool push_front(unsigned char key, bool begins_pair) {
        if (count_ == kCapacity) return false;
        first_ = (first_ + kCapacity - 1) % kCapacity;
        keys_[first_] = Key{key, begins_pair};
        ++count_;
        return true;
    }
    // Only when not empty.
    unsigned char pop(bool& begins_pair) {
        const Key key = keys_[first_];
        first_ = (first_ + 1) % kCapacity;
        --count_;
        begins_pair = key.begins_pair;
        return key.byte;
    }

private:
    struct Key {
        unsigned char byte = 0;
        bool begins_pair = false;
    };
    Key keys_[kCapacity] = {};
    int first_ = 0, count_ = 0;
};

}  // namespace versos::console
