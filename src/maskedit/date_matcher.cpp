#include "maskedit/date_matcher.h"

#include <string>

#include "platform/runtime/dates.h"
#include "platform/runtime/value_ops.h"

namespace ov::maskedit {

namespace {

bool IsDateLetter(char c) { return c == 'D' || c == 'M' || c == 'Y' || c == 'H' || c == 'S'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// Length of the AM/PM marker at the start of the remaining mask, or 0.
std::size_t MarkerLength(std::string_view mask) {
    if (StartsWith(mask, "AMPM")) return 4;
    if (StartsWith(mask, "AM/PM")) return 5;
    return 0;
}

int ValueOf(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// One run of ParseMaskedDate over upper-cased text and mask. The text and mask are consumed
// from the front (positions t and m); the current run is its letter, length and text slice.
class MaskedDateParser {
public:
    MaskedDateParser(std::string text, std::string mask, const MaskContext& context)
        : text_(std::move(text)), mask_(std::move(mask)), context_(context) {
        has_am_pm_ = mask_.find("AMPM") != std::string::npos || mask_.find("AM/PM") != std::string::npos;
    }

    MaskedDate Run();

private:
    enum class Verdict { Continue, Invalid, SoFar };

    Verdict EvaluateRun(bool marker_this_round);
    Verdict EvaluateNumericRun(bool minutes);
    Verdict EvaluateFullNames();
    Verdict EvaluateAbbreviations();
    MaskedDate Compose() const;

    std::size_t TextLeft() const { return text_.size() - t_; }
    bool NextIs(char low, char high) const { return t_ < text_.size() && text_[t_] >= low && text_[t_] <= high; }
    void Join() { slice_.push_back(text_[t_++]); }

    std::string text_, mask_;
    const MaskContext& context_;
    std::size_t t_ = 0, m_ = 0;
    char letter_ = 0;
    int run_length_ = 0;
    std::string slice_;
    bool text_ended_ = false, time_context_ = false, am_pm_mark_ = false, has_am_pm_ = false;
    std::size_t marker_length_ = 0;
    int year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0;
    int weekday_ = -1;  // index into the Monday..Sunday names
};

MaskedDate MaskedDateParser::Run() {
    const MaskedDate so_far{kZeroDate, true}, invalid{kZeroDate, false};
    for (;;) {
        char c = m_ < mask_.size() ? mask_[m_] : '\0';
        bool skip_literal = false;
        if (run_length_ > 0 && IsDateLetter(c) && c != letter_) {
            // The run ends directly in another run: no literal to match this round.
            c = '\0';
            skip_literal = true;
        }
        if (c == ':') time_context_ = true;
        if (IsDateLetter(c)) {
            if (!text_ended_ && t_ < text_.size()) slice_.push_back(text_[t_++]);
            if (run_length_ == 0) letter_ = c;
            ++run_length_;
            ++m_;
            if (m_ < mask_.size() && t_ >= text_.size()) text_ended_ = true;
            continue;
        }
        bool marker_this_round = false;
        if (const std::size_t marker = MarkerLength(std::string_view(mask_).substr(m_))) {
            am_pm_mark_ = true;
            marker_length_ = marker;
            time_context_ = false;
            marker_this_round = true;
        }
        switch (EvaluateRun(marker_this_round)) {
            case Verdict::Invalid: return invalid;
            case Verdict::SoFar: return so_far;
            case Verdict::Continue: break;
        }
        if (am_pm_mark_) {
            // Once met, the marker rule handles every later round too: nothing may follow it.
            if (TextLeft() == 0) return so_far;
            if (TextLeft() == 1) return text_[t_] == 'A' || text_[t_] == 'P' ? so_far : invalid;
            if ((text_[t_] != 'A' && text_[t_] != 'P') || text_[t_ + 1] != 'M') return invalid;
            if (text_[t_] == 'A' && hour_ == 12) hour_ = 0;
            else if (text_[t_] == 'P' && hour_ >= 1 && hour_ <= 11) hour_ += 12;
            t_ += 2;
            m_ += std::min(marker_length_, mask_.size() - m_);
        } else if (!skip_literal) {
            if (m_ < mask_.size() && t_ < text_.size() && mask_[m_] != text_[t_]) return invalid;
            if (m_ < mask_.size()) {
                time_context_ = mask_[m_] == ':';
                ++m_;
                if (t_ < text_.size()) ++t_;
            } else if (t_ < text_.size()) {
                return invalid;
            }
        }
        if (text_ended_) return so_far;
        run_length_ = 0;
        letter_ = 0;
        slice_.clear();
        if (m_ >= mask_.size()) break;
        if (t_ >= text_.size()) return so_far;
    }
    if (t_ < text_.size()) return invalid;
    return Compose();
}

MaskedDateParser::Verdict MaskedDateParser::EvaluateRun(bool marker_this_round) {
    if (run_length_ == 0) return Verdict::Continue;
    switch (letter_) {
        case 'Y':
            if (run_length_ == 1) return Verdict::Invalid;
            if (run_length_ > 4) return Verdict::Continue;
            return EvaluateNumericRun(false);
        case 'M':
            if (run_length_ == 4) return EvaluateFullNames();
            if (run_length_ == 3) return EvaluateAbbreviations();
            if (run_length_ > 4) return Verdict::Continue;
            return EvaluateNumericRun(time_context_ || marker_this_round);
        case 'D':
            if (run_length_ == 4) return EvaluateFullNames();
            if (run_length_ == 3) return EvaluateAbbreviations();
            if (run_length_ > 4) return Verdict::Continue;
            return EvaluateNumericRun(false);
        default:  // H, S
            if (run_length_ > 2) return Verdict::Continue;
            return EvaluateNumericRun(false);
    }
}

MaskedDateParser::Verdict MaskedDateParser::EvaluateNumericRun(bool minutes) {
    if (!IsDigitsOnly(slice_)) return Verdict::Invalid;
    const bool one_digit = slice_.size() == 1;
    const bool single_letter = run_length_ == 1;
    const char first = slice_[0];
    auto bad = [] { return Verdict::Invalid; };
    switch (letter_) {
        case 'Y': {
            const int typed = ValueOf(slice_);
            if (run_length_ == 2) {
                // Two-digit years fall in the 100 years from current-50 to current+49.
                const int current = SplitDate(context_.now).year;
                const int c = current % 100;
                year_ = current - c + typed;
                if (typed >= c + 50) year_ -= 100;
                else if (typed < c - 50) year_ += 100;
            } else {
                year_ = typed;
            }
            return Verdict::Continue;
        }
        case 'M':
            if (minutes) {
                if (single_letter) {
                    if (first >= '1' && first <= '5' && NextIs('0', '9')) Join();
                } else if (one_digit && (first < '0' || first > '5')) {
                    return bad();
                }
                if (ValueOf(slice_) > 59) return bad();
                minute_ = ValueOf(slice_);
                return Verdict::Continue;
            }
            if (single_letter) {
                if (slice_ == "1" && NextIs('0', '2')) Join();
                const int value = ValueOf(slice_);
                if (month_ == 0) {
                    if (value < 1 || value > 12) return bad();
                    month_ = value;
                } else if (slice_.size() == 1) {
                    // "1" may still become the known month 10, 11 or 12 with the text to come.
                    if (value != month_ && !(slice_ == "1" && month_ >= 10)) return bad();
                } else if (value != month_) {
                    return bad();
                }
                return Verdict::Continue;
            }
            if (month_ == 0) {
                if (one_digit) return first == '0' || first == '1' ? Verdict::Continue : bad();
                const int value = ValueOf(slice_);
                if (value < 1 || value > 12) return bad();
                month_ = value;
            } else if (one_digit) {
                if (first != (month_ < 10 ? '0' : '1')) return bad();
            } else if (ValueOf(slice_) != month_) {
                return bad();
            }
            return Verdict::Continue;
        case 'D':
            if (single_letter) {
                if (((first == '1' || first == '2') && NextIs('0', '9')) || (first == '3' && NextIs('0', '1'))) Join();
                const int value = ValueOf(slice_);
                if (value < 1 || value > 31) return bad();
                day_ = value;
                return Verdict::Continue;
            }
            if (one_digit) return first >= '0' && first <= '3' ? Verdict::Continue : bad();
            if (ValueOf(slice_) < 1 || ValueOf(slice_) > 31) return bad();
            day_ = ValueOf(slice_);
            return Verdict::Continue;
        case 'H':
            if (single_letter) {
                if (has_am_pm_) {
                    if (first == '1' && NextIs('0', '2')) Join();
                } else if ((first == '1' && NextIs('0', '9')) || (first == '2' && NextIs('0', '3'))) {
                    Join();
                }
                if (ValueOf(slice_) > (has_am_pm_ ? 12 : 23)) return bad();
                hour_ = ValueOf(slice_);
                return Verdict::Continue;
            }
            if (has_am_pm_) {
                if (one_digit) return first == '0' || first == '1' ? Verdict::Continue : bad();
                if (ValueOf(slice_) < 1 || ValueOf(slice_) > 12) return bad();
            } else {
                if (one_digit && (first < '0' || first > '2')) return bad();
                if (ValueOf(slice_) > 23) return bad();
            }
            hour_ = ValueOf(slice_);
            return Verdict::Continue;
        default:  // 'S'
            if (single_letter) {
                if (first >= '1' && first <= '5' && NextIs('0', '9')) Join();
            } else if (one_digit && (first < '0' || first > '5')) {
                return bad();
            }
            if (ValueOf(slice_) > 59) return bad();
            second_ = ValueOf(slice_);
            return Verdict::Continue;
    }
}

MaskedDateParser::Verdict MaskedDateParser::EvaluateFullNames() {
    const bool months = letter_ == 'M';
    const int count = months ? 12 : 7;
    auto name_at = [&](int i) -> const std::string& {
        return months ? context_.names.months[i] : context_.names.weekdays[i];
    };
    const int first = months && month_ != 0 ? month_ - 1 : 0;
    const int last = months && month_ != 0 ? month_ : count;
    const std::string_view rest = std::string_view(text_).substr(t_);
    for (int i = first; i < last; ++i) {
        const std::string& name = name_at(i);
        bool fits = false;
        if (!text_ended_ && name.size() >= 4) {
            const std::size_t need = name.size() - 4;
            if (rest.size() >= need) {
                if (StartsWith(name, slice_) && std::string_view(name).substr(slice_.size()) == rest.substr(0, need)) {
                    t_ += need;
                    fits = true;
                }
            } else if (StartsWith(name, slice_) && StartsWith(std::string_view(name).substr(slice_.size()), rest)) {
                return Verdict::SoFar;
            }
        } else {
            if (text_ended_ && StartsWith(name, slice_)) return Verdict::SoFar;
            if (name.size() < 4 && !name.empty() && StartsWith(slice_, name)) {
                t_ -= slice_.size() - name.size();  // the surplus goes back to the text
                fits = true;
            }
        }
        if (fits) {
            if (months) month_ = i + 1;
            else weekday_ = i;
            return Verdict::Continue;
        }
    }
    return Verdict::Invalid;
}

MaskedDateParser::Verdict MaskedDateParser::EvaluateAbbreviations() {
    if (letter_ == 'M' && month_ != 0) {
        const std::string& name = context_.names.month_abbreviations[month_ - 1];
        if (slice_ == name) return Verdict::Continue;
        if (text_ended_ && StartsWith(name, slice_)) return Verdict::SoFar;
        return Verdict::Invalid;
    }
    const int count = letter_ == 'M' ? 12 : 7;
    auto name_at = [&](int i) -> const std::string& {
        return letter_ == 'M' ? context_.names.month_abbreviations[i] : context_.names.weekday_abbreviations[i];
    };
    for (int i = 0; i < count; ++i) {
        if (slice_ != name_at(i)) continue;
        if (letter_ == 'M') month_ = i + 1;
        else weekday_ = i;
        return Verdict::Continue;
    }
    if (text_ended_)
        for (int i = 0; i < count; ++i)
            if (StartsWith(name_at(i), slice_)) return Verdict::SoFar;
    return Verdict::Invalid;
}

MaskedDate MaskedDateParser::Compose() const {
    MaskedDate result{kZeroDate, true};
    std::string composed;
    if (day_ >= 1 && month_ >= 1 && year_ >= 1) {
        composed = std::to_string(year_) + "-" + std::to_string(month_) + "-" + std::to_string(day_);
    } else if (day_ >= 1 || month_ >= 1 || year_ >= 1) {
        return result;  // part of a date only
    }
    if (hour_ >= 1 || minute_ >= 1 || second_ >= 1) {
        if (!composed.empty()) composed += ' ';
        composed += std::to_string(hour_) + ":" + std::to_string(minute_) + ":" + std::to_string(second_);
    }
    const auto date = ParseDateText(composed);
    if (!date) return result;
    if (weekday_ >= 0) {
        const int index = (Weekday(*date) + 5) % 7;  // Sunday=1 .. Saturday=7 -> Monday-first index
        if (context_.names.weekdays[index] != context_.names.weekdays[weekday_]) return result;
    }
    result.date = *date;
    return result;
}

}  // namespace

bool IsDigitsOnly(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

MaskedDate ParseMaskedDate(std::string_view text, std::string_view mask, const MaskContext& context) {
    if (text.empty() || mask.empty()) return {};
    return MaskedDateParser(UpperCase(text), UpperCase(mask), context).Run();
}

}  // namespace ov::maskedit
