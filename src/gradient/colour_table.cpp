#include "gradient/colour_table.h"

#include <cmath>
#include <new>
#include <stdexcept>

#include "gradient/colour_model.h"
#include "platform/runtime/automation_error.h"

namespace ov::gradient {
namespace {

// Raised inside the build only; BuildGradientColors catches it and stops there.
struct BuildFailure {};

// The table with every index checked: an index that is fractional, not finite or outside
// 0..2n is a failure, never a read or write past the end.
class CheckedTable {
public:
    explicit CheckedTable(ColourTable& entries) : entries_(entries) {}

    std::int32_t& at(double index) {
        if (!(index >= 0 && index < static_cast<double>(entries_.size())) || index != std::floor(index))
            throw BuildFailure{};
        return entries_[static_cast<std::size_t>(index)];
    }
    std::int32_t& at(std::int64_t index) {
        if (index < 0 || index >= static_cast<std::int64_t>(entries_.size())) throw BuildFailure{};
        return entries_[static_cast<std::size_t>(index)];
    }

private:
    ColourTable& entries_;
};

std::int32_t ToLong(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) throw BuildFailure{};
    return static_cast<std::int32_t>(rounded);
}

// Division as the engine's arithmetic has it: by zero, or to a result out of the double
// range, is a failure rather than an infinity.
double Divide(double dividend, double divisor) {
    const double quotient = dividend / divisor;
    if (!std::isfinite(quotient)) throw BuildFailure{};
    return quotient;
}

void BuildRgbRamp(std::int32_t c1, std::int32_t c2, double q, double qf, CheckedTable& t) {
    const ColourChannels a = SplitColour(c1), b = SplitColour(c2);
    const double step_red = SafeDivide(b.red - a.red, q);
    const double step_green = SafeDivide(b.green - a.green, q);
    const double step_blue = SafeDivide(b.blue - a.blue, q);
    t.at(0.0) = c1;
    t.at(qf) = c2;
    t.at(qf + 1) = c2;
    // Both writes succeeded, so qf is a whole index inside the table.
    const auto last = static_cast<std::int64_t>(qf) - 1;
    for (std::int64_t i = 1; i <= last; ++i) {
        const double colour = ToLong(a.red + i * step_red) + 256.0 * ToLong(a.green + i * step_green) +
                              65536.0 * ToLong(a.blue + i * step_blue);
        t.at(i) = ToLong(colour);
    }
}

void BuildHslRamp(std::int32_t c1, std::int32_t c2, double qf, CheckedTable& t) {
    HslTriple from = RGBtoHSL(c1);
    const HslTriple to = RGBtoHSL(c2);
    double hue_distance = RoundHalfEven(to.hue - from.hue);
    // The hue takes the shorter way round its circle.
    if (std::fabs(hue_distance) > 127.5) hue_distance = -(255 - std::fabs(hue_distance)) * (hue_distance > 0 ? 1 : -1);
    const double step_hue = Divide(hue_distance, qf);
    const double step_saturation = Divide(to.saturation - from.saturation, qf);
    const double step_lightness = Divide(to.lightness - from.lightness, qf);
    // Each entry is advanced before it is written, so entry 0 is already one step past the
    // first colour and the ramp overshoots the second by two entries.
    for (std::int64_t i = 0; static_cast<double>(i) <= qf + 1; ++i) {
        from.hue += step_hue;
        if (from.hue < 0) from.hue += 255;
        else if (from.hue > 255) from.hue -= 255;
        from.saturation += step_saturation;
        from.lightness += step_lightness;
        t.at(i) = HSLtoRGB(from);
    }
}

void RepeatRuns(double q, double qf, double repetitions, CheckedTable& t) {
    const double passes = std::floor(repetitions) + 1;
    for (double pass = 1; pass <= passes; ++pass) {
        // With fewer steps than repetitions (qf = 0) every pass rewrites entry 0 only, and
        // from the third pass on it rewrites it with the value it already holds: stopping
        // there gives the same table without counting to an enormous repetition number.
        if (qf == 0 && pass > 3) break;
        const double base_index = qf * (pass - 1);
        // A run starting past the table fails at its first write; stop before the index
        // leaves the range a 64-bit integer holds.
        if (!(base_index < 9e15)) throw BuildFailure{};
        const auto base = static_cast<std::int64_t>(base_index);
        const auto run = static_cast<std::int64_t>(qf);
        const bool mirrored = std::fmod(pass, 2.0) == 0;
        for (std::int64_t k = 0; k <= run; ++k) {
            if (mirrored) t.at(base + k) = t.at(RoundHalfEven(q - static_cast<double>(k)));
            else t.at(base + k) = t.at(k);
        }
    }
}

}  // namespace

double SafeDivide(double dividend, double divisor) {
    if (divisor == 0) return 0;
    const double quotient = dividend / divisor;
    return std::isfinite(quotient) ? quotient : 0;
}

ColourTableBuild BuildGradientColors(std::int32_t colour1, std::int32_t colour2, std::int32_t steps,
                                     const double& repetitions, std::int32_t blend_mode, ColourTable& table) {
    ColourTableBuild result;
    if (steps < 2) steps = 2;
    result.steps = steps;
    try {
        table.assign(static_cast<std::size_t>(2 * static_cast<std::int64_t>(steps) + 1), 0);
    } catch (const std::bad_alloc&) {
        table.clear();
        return result;
    } catch (const std::length_error&) {
        table.clear();
        return result;
    }
    CheckedTable t(table);
    try {
        const double q = steps / repetitions;
        const double qf = std::floor(q);
        if (blend_mode == gbmRGB) BuildRgbRamp(colour1, colour2, q, qf, t);
        else if (blend_mode == gbmHSL) BuildHslRamp(colour1, colour2, qf, t);
        // Any other blend mode leaves the ramp black.
        if (std::floor(repetitions) >= 1) RepeatRuns(q, qf, repetitions, t);
        result.completed = true;
    } catch (const BuildFailure&) {
    } catch (const AutomationError&) {
        // An overflow in the colour arithmetic ends the build like any other failure.
    }
    return result;
}

std::int32_t LastRingIndex(const ColourTable& table) {
    for (std::size_t i = table.size(); i-- > 0;)
        if (table[i] != 0) return static_cast<std::int32_t>(i) - 1;
    return -1;
}

}  // namespace ov::gradient
