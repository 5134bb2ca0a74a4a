// SPDX-License-Identifier: GPL-3.0-or-later
// The unit's model against the full period built independently: at the exact
// angle the table of --span full itself, at the window's the quarter unfolded
// by FullPeriod (the report's own unfolding), for every phase.
#include <gtest/gtest.h>

#include "hardware/units.h"
#include "sincos_unit.h"

namespace lumiro {
namespace {

struct Case {
    std::int32_t divisions;
    const char* word;
    AngleMode angle;
    bool halfStep;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << "N " << c.divisions << " " << c.word << (c.angle == AngleMode::Exact ? " exact" : " window")
        << (c.halfStep ? " half-step" : "");
}

class LeanUnit : public ::testing::TestWithParam<Case> {};

TEST_P(LeanUnit, GivesTheFullPeriodsWordsAtEveryPhase)
{
    const Case& c = GetParam();
    TableShape shape;
    shape.divisions = c.divisions;
    shape.word = *WordKind::Named(c.word);
    shape.angle = c.angle;
    shape.halfStep = c.halfStep;
    const SineTable quarter(shape);
    const UnitPlan plan = PlanUnit(quarter);
    std::vector<std::uint32_t> period;
    if (c.angle == AngleMode::Exact) {
        const SineTable full(UnitPeriod(shape));
        for (std::int32_t p = 0; p < c.divisions; ++p)
            period.push_back(full.Word(p));
    } else {
        for (const double value : quarter.FullPeriod())
            period.push_back(shape.word.Round(value + 0.0));  // +0 at 180 degrees
    }
    const auto n = static_cast<std::size_t>(c.divisions);
    std::vector<std::uint32_t> sines(n);
    std::vector<std::uint32_t> cosines(n);
    hardware::UnitModel(plan, quarter).Run(0, sines, cosines);
    for (std::size_t p = 0; p < n; ++p) {
        ASSERT_EQ(sines[p], period[p]) << "sine at phase " << p;
        ASSERT_EQ(cosines[p], period[(p + n / 4) % n]) << "cosine at phase " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Units, LeanUnit,
    ::testing::Values(Case{4, "fixed:8", AngleMode::Exact, false}, Case{8, "float32", AngleMode::Window, false},
                      Case{1000, "fixed:16", AngleMode::Exact, true}, Case{4096, "offset:12", AngleMode::Exact, false},
                      Case{4096, "float16", AngleMode::Window, true}, Case{1020, "bfloat16", AngleMode::Window, false}));

}  // namespace
}  // namespace lumiro
