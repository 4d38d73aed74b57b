// A strict JSON syntax check for the bodies the launcher sends (test support only).
#pragma once
#include <cctype>
#include <string_view>

namespace json_check {

class Checker {
  public:
    explicit Checker(std::string_view s) : s_(s) {}
    bool document() {
        blanks();
        if (!value()) return false;
        blanks();
        return pos_ == s_.size();
    }

  private:
    std::string_view s_;
    size_t pos_ = 0;

    bool at(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
    void blanks() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
            ++pos_;
    }
    bool word(std::string_view w) {
        if (s_.substr(pos_, w.size()) != w) return false;
        pos_ += w.size();
        return true;
    }
    bool string() {
        if (!at('"')) return false;
        for (++pos_; pos_ < s_.size(); ++pos_) {
            const auto c = static_cast<unsigned char>(s_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) return false;
            if (c == '\\') {
                if (++pos_ >= s_.size()) return false;
                const char e = s_[pos_];
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k)
                        if (++pos_ >= s_.size() ||
                            !std::isxdigit(static_cast<unsigned char>(s_[pos_])))
                            return false;
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                    return false;
                }
            }
        }
        return false;
    }
    bool number() {
        const size_t start = pos_;
        if (at('-')) ++pos_;
        while (pos_ < s_.size() &&
               std::string_view("0123456789.eE+-").find(s_[pos_]) != std::string_view::npos)
            ++pos_;
        return pos_ > start && s_[pos_ - 1] >= '0' && s_[pos_ - 1] <= '9';
    }
    template <char Open, char Close, bool Keys> bool container() {
        ++pos_;
        blanks();
        if (at(Close)) return ++pos_, true;
        for (;;) {
            blanks();
            if (Keys) {
                if (!string()) return false;
                blanks();
                if (!at(':')) return false;
                ++pos_;
                blanks();
            }
            if (!value()) return false;
            blanks();
            if (at(Close)) return ++pos_, true;
            if (!at(',')) return false;
            ++pos_;
        }
    }
    bool value() {
        if (at('{')) return container<'{', '}', true>();
        if (at('[')) return container<'[', ']', false>();
        if (at('"')) return string();
        if (word("true") || word("false") || word("null")) return true;
        return number();
    }
};

inline bool valid(std::string_view s) {
    return Checker(s).document();
}

} // namespace json_check
