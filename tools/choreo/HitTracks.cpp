// Turning events into keys: rests, pulses and toggles as a piecewise linear
// function keyed at its breaks; clocks as the running sum of their speeds.
#include "tools/choreo/HitTracks.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace Sorva::Choreo {

namespace {

using Kind = HitRule::Kind;

bool covers(const HitRule& rule, const TuneEvent& event) {
    return event.row >= rule.fromRow && event.row < rule.toRow &&
           std::find(rule.events.begin(), rule.events.end(), event.kind) != rule.events.end();
}

std::vector<const HitRule*> rulesOf(const std::string& name, const std::vector<HitRule>& rules) {
    std::vector<const HitRule*> own;
    for (const HitRule& rule : rules)
        if (rule.track == name)
            own.push_back(&rule);
    return own;
}

struct Pulse {
    std::int32_t row;
    double peak;
    double rows;
};

// Rests (levels, ramps, toggles) with pulses on top: linear between its
// breaks, where it may also jump.
class Shape {
public:
    Shape(const std::vector<const HitRule*>& rules, const std::vector<TuneEvent>& events)
        : rules_(rules), events_(events) {
        breaks_.insert(0);
        for (const HitRule* rule : rules_) {
            breaks_.insert(rule->fromRow);
            breaks_.insert(rule->toRow);
            if (rule->kind == Kind::Level || rule->kind == Kind::Ramp)
                continue;
            for (const TuneEvent& event : events_) {
                if (!covers(*rule, event))
                    continue;
                breaks_.insert(event.row);
                if (rule->kind == Kind::Pulse)
                    addPulse({event.row, rule->a, rule->b});
            }
        }
        for (std::size_t i = 0; i < pulses_.size(); ++i) {
            const std::int32_t end = pulses_[i].row + static_cast<std::int32_t>(pulses_[i].rows);
            if (i + 1 == pulses_.size() || end < pulses_[i + 1].row)
                breaks_.insert(end);
        }
    }

    const std::set<std::int32_t>& breaks() const { return breaks_; }
    double at(std::int32_t row) const { return rest(row) + pulse(row); }

private:
    void addPulse(const Pulse& pulse) {
        const auto at = std::lower_bound(pulses_.begin(), pulses_.end(), pulse.row,
                                         [](const Pulse& p, std::int32_t r) { return p.row < r; });
        if (at != pulses_.end() && at->row == pulse.row) {
            if (std::abs(pulse.peak) > std::abs(at->peak))
                *at = pulse;
            return;
        }
        pulses_.insert(at, pulse);
    }
    // The latest pulse at or before the row takes over from those before.
    double pulse(std::int32_t row) const {
        const auto after = std::upper_bound(pulses_.begin(), pulses_.end(), row,
                                            [](std::int32_t r, const Pulse& p) { return r < p.row; });
        if (after == pulses_.begin())
            return 0.0;
        const Pulse& p = *(after - 1);
        return row - p.row >= p.rows ? 0.0 : p.peak * (1.0 - (row - p.row) / p.rows);
    }
    // The last rest line covering the row says the rest.
    double rest(std::int32_t row) const {
        double value = 0.0;
        for (const HitRule* rule : rules_) {
            if (row < rule->fromRow || row >= rule->toRow)
                continue;
            if (rule->kind == Kind::Level)
                value = rule->a;
            if (rule->kind == Kind::Ramp)
                value = rule->a + (rule->b - rule->a) * (row - rule->fromRow) /
                                      static_cast<double>(rule->toRow - rule->fromRow);
            if (rule->kind == Kind::Toggle) {
                int count = 0;
                for (const TuneEvent& event : events_)
                    if (covers(*rule, event) && event.row <= row)
                        ++count;
                if (count > 0)
                    value = count % 2 == 1 ? rule->a : rule->b;
            }
        }
        return value;
    }

    const std::vector<const HitRule*>& rules_;
    const std::vector<TuneEvent>& events_;
    std::vector<Pulse> pulses_;
    std::set<std::int32_t> breaks_;
};

SyncKey key(std::int32_t row, double value, std::int32_t type) {
    return {row, static_cast<float>(value), type};
}

std::vector<SyncKey> shapeKeys(const std::vector<const HitRule*>& rules,
                               const std::vector<TuneEvent>& events) {
    const Shape shape(rules, events);
    const std::vector<std::int32_t> breaks(shape.breaks().begin(), shape.breaks().end());
    std::vector<SyncKey> keys;
    for (std::size_t i = 0; i < breaks.size(); ++i) {
        const std::int32_t row = breaks[i];
        const double value = shape.at(row);
        const double slope = shape.at(row + 1) - value;
        if (slope == 0.0 || i + 1 == breaks.size()) {
            keys.push_back(key(row, value, 0));
            continue;
        }
        const std::int32_t next = breaks[i + 1];
        const bool jumps = std::abs(value + slope * (next - row) - shape.at(next)) > 1e-6;
        if (!jumps) {
            keys.push_back(key(row, value, 1));
        } else if (next - 1 > row) {
            // Along the slope until the row before the jump, then hold.
            keys.push_back(key(row, value, 1));
            keys.push_back(key(next - 1, shape.at(next - 1), 0));
        } else {
            keys.push_back(key(row, value, 0));
        }
    }
    // A step key that repeats the value before it says nothing.
    std::vector<SyncKey> kept;
    for (const SyncKey& k : keys)
        if (kept.empty() || k.type != 0 || kept.back().type != 0 || kept.back().value != k.value)
            kept.push_back(k);
    return kept;
}

std::vector<SyncKey> clockKeys(const std::vector<const HitRule*>& rules,
                               const std::vector<TuneEvent>& events) {
    std::set<std::int32_t> breaks = {0};
    struct Surge {
        std::int32_t from, to;
        double rate;
    };
    std::vector<Surge> surges;
    for (const HitRule* rule : rules) {
        breaks.insert(rule->fromRow);
        breaks.insert(rule->toRow);
        for (const TuneEvent& event : events)
            if (covers(*rule, event)) {
                const std::int32_t end = event.row + static_cast<std::int32_t>(rule->c);
                breaks.insert(event.row);
                breaks.insert(end);
                surges.push_back({event.row, end, rule->b / rule->c});
            }
    }
    const auto rate = [&](std::int32_t row) {
        double base = 0.0;
        for (const HitRule* rule : rules)
            if (row >= rule->fromRow && row < rule->toRow)
                base = rule->a / 32.0;
        for (const Surge& s : surges)
            if (row >= s.from && row < s.to)
                base += s.rate;
        return base;
    };
    std::vector<SyncKey> keys;
    double time = 0.0;
    double lastRate = -1.0;
    const std::vector<std::int32_t> rows(breaks.begin(), breaks.end());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double r = i + 1 < rows.size() ? rate(rows[i]) : 0.0;
        // Keys only where the speed changes.
        if (r != lastRate)
            keys.push_back(key(rows[i], time, r > 0.0 ? 1 : 0));
        lastRate = r;
        if (i + 1 < rows.size())
            time += r * (rows[i + 1] - rows[i]);
    }
    return keys;
}

} // namespace

std::vector<std::string> ruledTracks(const std::vector<HitRule>& rules) {
    std::vector<std::string> names;
    for (const HitRule& rule : rules)
        if (std::find(names.begin(), names.end(), rule.track) == names.end())
            names.push_back(rule.track);
    return names;
}

std::vector<SyncKey> hitTrackKeys(const std::string& name, const std::vector<HitRule>& rules,
                                  const std::vector<TuneEvent>& events) {
    const std::vector<const HitRule*> own = rulesOf(name, rules);
    std::vector<const HitRule*> clocks;
    for (const HitRule* rule : own)
        if (rule->kind == Kind::Clock)
            clocks.push_back(rule);
    return clocks.empty() ? shapeKeys(own, events) : clockKeys(clocks, events);
}

bool answered(const TuneEvent& event, const std::vector<HitRule>& rules) {
    // Only rules that move the track: a pulse of 0, a clock without a surge
    // or a toggle between equal values show nothing.
    return std::any_of(rules.begin(), rules.end(), [&](const HitRule& rule) {
        const bool moves = (rule.kind == Kind::Pulse && rule.a != 0.0) ||
                           (rule.kind == Kind::Toggle && rule.a != rule.b) ||
                           (rule.kind == Kind::Clock && rule.b != 0.0);
        return moves && covers(rule, event);
    });
}

} // namespace Sorva::Choreo
