// The key bytes that wait to be read: a fixed ring, decoded keys joining at
// the back and pushed-back keys at the front.
#pragma once

namespace versos::console {

class KeyQueue {
public:
    static constexpr int kCapacity = 1024;

    bool empty() const { return count_ == 0; }
    int room() const { return kCapacity - count_; }
    bool push_back(unsigned char key) {
        if (count_ == kCapacity) return false;
        bytes_[(first_ + count_++) % kCapacity] = key;
        return true;
    }
    bool push_front(unsigned char key) {
        if (count_ == kCapacity) return false;
        first_ = (first_ + kCapacity - 1) % kCapacity;
        bytes_[first_] = key;
        ++count_;
        return true;
    }
    // Only when not empty.
    unsigned char pop() {
        unsigned char key = bytes_[first_];
        first_ = (first_ + 1) % kCapacity;
        --count_;
        return key;
    }

private:
    unsigned char bytes_[kCapacity] = {};
    int first_ = 0, count_ = 0;
};

}  // namespace versos::console
