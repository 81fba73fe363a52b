#pragma once

// The entries played last and before it, for Backspace (the one before, and
// again back) and Space (the last one again); -1 when none. Indices of the
// list shown: a new list forgets them.
class ChannelHistory {
public:
    int current() const { return current_; }
    int previous() const { return previous_; }

    // An entry was chosen: the one before it becomes the previous one,
    // unless it is the same entry again.
    void chose(int index)
    {
        if (index < 0 || index == current_)
            return;
        previous_ = current_;
        current_ = index;
    }
    void forget() { current_ = previous_ = -1; }
    // The list's indices moved: each one kept is replaced by where it went.
    template <typename Move>
    void follow(Move moved)
    {
        current_ = current_ < 0 ? -1 : moved(current_);
        previous_ = previous_ < 0 ? -1 : moved(previous_);
    }

private:
    int current_ = -1;
    int previous_ = -1;
};
