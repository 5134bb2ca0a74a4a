// SPDX-License-Identifier: GPL-3.0-or-later
// --plot: the SVG parses as XML (xmllint) and renders (rsvg-convert), its
// figures are the report's, the PNG is a picture of the size asked for, and
// a picture that cannot be written leaves the table written and nothing half.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "scratch.h"

namespace {

using lumiro::testing::Outcome;
using lumiro::testing::Slurp;
namespace fs = std::filesystem;

using Plot = lumiro::testing::Scratch;

std::string Attribute(const std::string& svg, const std::string& name)
{
    const std::string key = name + "=\"";
    const std::size_t at = svg.find(key);
    if (at == std::string::npos)
        return {};
    return svg.substr(at + key.size(), svg.find('"', at + key.size()) - at - key.size());
}

// The figure after `label` in the report, as it prints it.
std::string ReportFigure(const std::string& report, const std::string& label)
{
    const std::size_t at = report.find(label);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + label.size();
    return report.substr(start, report.find(' ', start) - start);
}

TEST_F(Plot, SvgCarriesTheReportsFiguresAndRenders)
{
    for (const std::vector<std::string>& table :
         {std::vector<std::string>{"1024"}, {"1024", "--word", "fixed:12"},
          {"1024", "--word", "float16", "--angle", "exact"}, {"256", "--word", "fixed:10", "--span", "full"}}) {
        const std::string svg = (dir / "table.svg").string();
        std::vector<std::string> call = table;
        call.insert(call.end(), {"--plot", svg, "--report", "-o", (dir / "table.coe").string()});
        environment = {"LC_ALL=C", "LANGUAGE="};  // the report's words, to find its figures by
        const Outcome run = Coe(call);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Start({XMLLINT, "--noout", svg}).status, 0);
        EXPECT_EQ(Start({RSVG_CONVERT, svg, "-o", (dir / "rendered.png").string()}).status, 0);
        EXPECT_GT(fs::file_size(dir / "rendered.png"), 10000U);

        const std::string text = Slurp(svg);
        EXPECT_EQ(Attribute(text, "data-sfdr-dbc"), ReportFigure(run.err, "SFDR of the full period: ")) << table[0];
        const double largest = std::max(std::abs(std::stod(Attribute(text, "data-error-min"))),
                                        std::abs(std::stod(Attribute(text, "data-error-max"))));
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.4f", largest);
        EXPECT_EQ(shown, ReportFigure(run.err, "largest error: ")) << table[0];
        EXPECT_NE(text.find("<desc>"), std::string::npos);
        EXPECT_NE(text.find("SFDR " + Attribute(text, "data-sfdr-dbc") + " dBc"), std::string::npos);
        EXPECT_TRUE(fs::exists(dir / "table.coe"));
    }
}

// N = 4 at the ideal angle is 0, 1, 0, -1 exactly: a spectrum without spurs.
TEST_F(Plot, SvgOfATableWithoutSpursSaysSo)
{
    const std::string svg = (dir / "table.svg").string();
    environment = {"LC_ALL=C", "LANGUAGE="};
    ASSERT_EQ(Coe({"4", "--angle", "exact", "--plot", svg, "-o", "/dev/null"}).status, 0);
    const std::string text = Slurp(svg);
    EXPECT_NE(text.find("; no spurs.</desc>"), std::string::npos) << text.substr(0, 600);
    EXPECT_EQ(text.find("spur at bin"), std::string::npos);
    EXPECT_EQ(Attribute(text, "data-spur-bin"), "");
}

// The texts PLplot drew (each in a <tspan>), its character references decoded
// (ASCII and the dot).
std::vector<std::string> DrawnTexts(const std::string& svg)
{
    std::vector<std::string> texts;
    for (std::size_t at = 0; (at = svg.find("<tspan", at)) != std::string::npos;) {
        const std::size_t start = svg.find('>', at) + 1;
        const std::size_t end = svg.find("</tspan>", start);
        std::string text;
        for (std::size_t c = start; c < end;) {
            if (svg.compare(c, 3, "&#x") == 0) {
                const std::size_t semicolon = svg.find(';', c);
                const unsigned long code = std::stoul(svg.substr(c + 3, semicolon - c - 3), nullptr, 16);
                text += code == 0x2022 ? std::string("•") : std::string(1, static_cast<char>(code < 0x80 ? code : '?'));
                c = semicolon + 1;
            } else {
                text += svg[c++];
            }
        }
        texts.push_back(text);
        at = end;
    }
    return texts;
}

// A figure for a design review: each word a dot, the angle ticked at the
// quarter turns, the spectrum over f/fs; a table larger than the picture is
// drawn as each column's extremes, not as a dot a word.
TEST_F(Plot, WordsAreDotsOverQuarterTurnsAndTheSpectrumIsOverFrequency)
{
    environment = {"LC_ALL=C", "LANGUAGE="};
    const std::string svg = (dir / "table.svg").string();
    ASSERT_EQ(Coe({"1024", "--word", "fixed:12", "--angle", "exact", "--span", "full", "--plot", svg, "-o",
                   "/dev/null"})
                  .status,
              0);
    const std::vector<std::string> texts = DrawnTexts(Slurp(svg));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "•"), 1024);
    std::vector<std::string> ticks;
    for (const std::string& text : texts)
        if (text == "0" || text == "45" || text == "90" || text == "180" || text == "270" || text == "360")
            ticks.push_back(text);
    ticks.resize(std::min<std::size_t>(ticks.size(), 5));  // the error panel's axis; 0 dBc follows
    EXPECT_EQ(ticks, (std::vector<std::string>{"0", "90", "180", "270", "360"}));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "frequency (f/fs)"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "0.50"), texts.end());

    ASSERT_EQ(Coe({"65536", "--word", "fixed:12", "--plot", svg, "-o", "/dev/null"}).status, 0);
    const std::vector<std::string> large = DrawnTexts(Slurp(svg));
    EXPECT_EQ(std::count(large.begin(), large.end(), "•"), 0);
    EXPECT_NE(std::find(large.begin(), large.end(), "45"), large.end());  // a quarter: 0, 45, 90
}

// What was measured is said even when the picture cannot be written.
TEST_F(Plot, ReportComesBeforeAPictureThatFails)
{
    environment = {"LC_ALL=C", "LANGUAGE="};
    const Outcome run = Coe({"64", "--word", "fixed:12", "--report", "--plot", (dir / "none" / "p.svg").string(),
                             "-o", (dir / "r.coe").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("largest error: "), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(dir / "r.coe"));
}

TEST_F(Plot, PngIsAPictureOfItsSize)
{
    const fs::path png = dir / "table.PNG";
    ASSERT_EQ(Coe({"1024", "--word", "fixed:12", "--plot", png.string(), "-o", "/dev/null"}).status, 0);
    const std::string bytes = Slurp(png);
    ASSERT_GT(bytes.size(), 24U);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1A\n");
    const auto number = [&](std::size_t at) {
        return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
               (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    EXPECT_EQ(number(16), 1200);  // IHDR: width, height
    EXPECT_EQ(number(20), 900);
    EXPECT_GT(bytes.size(), 30000U);  // a blank picture of this size packs to a few kB
}

TEST_F(Plot, WhatCannotBeDrawnOrWrittenIsSaid)
{
    const std::string table = (dir / "table.coe").string();
    EXPECT_EQ(Coe({"1024", "--plot", (dir / "table.jpg").string(), "-o", table}).status, 2);
    EXPECT_EQ(Coe({"1024", "--plot", (dir / "x.svg").string(), "--check", table}).status, 2);
    EXPECT_FALSE(fs::exists(table));
    // A picture in a folder that does not exist: the table is written, the status says the rest.
    const Outcome run = Coe({"1024", "--plot", (dir / "missing" / "x.svg").string(), "-o", table});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::exists(table));
    EXPECT_EQ(Names(), std::vector<std::string>{"table.coe"});
}

}  // namespace
