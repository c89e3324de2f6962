#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string_view>
#include <vector>

#include "core/TestSupport.h"
#include "output/PageComposer.h"
#include "output/PageFiles.h"
#include "storage/AtomicFile.h"
#include "storage/DataFile.h"

// The pages the sample templates make of the demo collection: valid HTML, the pictures found,
// and text colours readable on their backgrounds.

namespace {

const fs::path kSource = fs::path(NUMORA_TEST_DATA).parent_path().parent_path();

Collection DemoCollection()
{
    Collection demo;
    demo.LoadBottomUp(ReadDataFile((kSource / "demo/nmr.dat").string()));
    return demo;
}

// The demo folder has no preferences file, so its pages are made with empty preferences; a
// collector's own details fill the address block and the e-mail link.
Preferences FilledPreferences()
{
    Preferences prefs;
    prefs[PrefKey::Name] = "Maria Jansen";
    prefs[PrefKey::Email] = "maria.jansen@example.org";
    prefs[PrefKey::Address1] = "Kerkstraat 12";
    prefs[PrefKey::City] = "3511 LX Utrecht";
    prefs[PrefKey::Country] = "Nederland";
    return prefs;
}

std::string SamplePage(const PageKind& kind, const Preferences& prefs)
{
    const fs::path templates = kSource / "templates";
    const auto outer = ReadTemplate((templates / kind.outerTemplate).string());
    const auto inner = ReadTemplate((templates / kind.innerTemplate).string());
    if (!outer || !inner)
        throw std::runtime_error("cannot read the sample templates");
    return ComposePage(*outer, *inner, DemoCollection(), prefs);
}

// html-validate from npm: the program named by NUMORA_HTML_VALIDATE, else the one on PATH.
std::string FindHtmlValidate()
{
    if (const char* named = std::getenv("NUMORA_HTML_VALIDATE"); named && *named)
        return access(named, X_OK) == 0 ? named : "";
    return std::system("command -v html-validate >/dev/null 2>&1") == 0 ? "html-validate" : "";
}

// WCAG's relative luminance of "#rrggbb".
double Luminance(std::string_view hex)
{
    double sum = 0;
    const double weights[] = {0.2126, 0.7152, 0.0722};
    for (int i = 0; i < 3; ++i) {
        const double c = std::stoi(std::string(hex.substr(1 + 2 * i, 2)), nullptr, 16) / 255.0;
        sum += weights[i] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

double Contrast(std::string_view a, std::string_view b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The body of a rule at the top level of the template's style sheet (rules inside @media are
// indented further and are not found).
std::string TopLevelRule(const std::string& page, const std::string& selector)
{
    const std::string head = "\n  " + selector + " {";
    const auto start = page.find(head);
    if (start == std::string::npos)
        return "";
    const auto body = start + head.size();
    return page.substr(body, page.find('}', body) - body);
}

// "#rrggbb" as written, or the value of a custom property "--name" of :root.
std::string ColourValue(const std::string& page, std::string value)
{
    std::smatch m;
    if (value.starts_with("var(")) value = value.substr(4, value.size() - 5);
    if (value.starts_with("--")) {
        const std::string root = TopLevelRule(page, ":root");
        if (!std::regex_search(root, m, std::regex(value + ":\\s*(#[0-9a-fA-F]{6})")))
            return "";
        return m[1];
    }
    return std::regex_match(value, std::regex("#[0-9a-fA-F]{6}")) ? value : "";
}

}  // namespace

TEST(SamplePages, DemoPagesValidateWithHtmlValidate)
{
    const std::string validator = FindHtmlValidate();
    if (validator.empty())
        GTEST_SKIP() << "html-validate is not installed (npm install -g html-validate)";
    TempDir dir;
    std::string files;
    for (const bool filled : {false, true}) {
        const Preferences prefs = filled ? FilledPreferences() : Preferences{};
        for (const PageKind* kind : {&kListPage, &kCataloguePage}) {
            const std::string name = (filled ? "filled-" : "") + std::string(kind->defaultOutput);
            ASSERT_TRUE(WriteFileAtomically(dir.File(name), SamplePage(*kind, prefs)));
            files += " '" + dir.File(name) + "'";
        }
    }
    // The standard rules (what the HTML standard requires) and the accessibility rules; not the
    // rules of style, which the fixed footer row and values put in as typed need not follow.
    const std::string command = "'" + validator + "' --config '" +
                                (kSource / "tests/data/html-validate.json").string() + "'" + files +
                                " >'" + dir.File("report.txt") + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << command << "\n" << ReadBytes(dir.File("report.txt"));
}

TEST(SamplePages, CoinsWithAPictureShowItAndOthersHaveAValidAddress)
{
    const std::string page = SamplePage(kCataloguePage, {});
    const std::regex img("<img src=\"([^\"]*)\"");
    int shown = 0, without = 0;
    for (std::sregex_iterator it(page.begin(), page.end(), img), end; it != end; ++it) {
        const std::string src = (*it)[1];
        ASSERT_FALSE(src.empty());
        if (src == "#") {
            ++without;
            continue;
        }
        // An empty fragment does not change the file the address loads.
        ASSERT_TRUE(src.ends_with('#')) << src;
        EXPECT_TRUE(fs::is_regular_file(kSource / "demo" / src.substr(0, src.size() - 1))) << src;
        ++shown;
    }
    int withPicture = 0;
    const Collection demo = DemoCollection();
    for (int row = 0; row < demo.Count(); ++row)
        withPicture += !demo.Row(row).Get(CoinField::Image).empty();
    EXPECT_EQ(shown, withPicture);
    EXPECT_EQ(without, demo.Count() - withPicture);
    EXPECT_GT(shown, 0);
    EXPECT_GT(without, 0);
}

// Every text colour of the sample pages' screen style against the background it is shown on
// has a contrast of at least 4.5:1. Header texts lie on a gradient; its lighter end counts.
TEST(SamplePages, TextColoursMeetTheContrastMinimum)
{
    struct Case {
        const char* outer;
        const char* selector;
        const char* background;  // "#rrggbb" or a custom property of :root
    };
    const Case cases[] = {
        {"CatalogueOutside.htm", "body", "--paper"},
        {"CatalogueOutside.htm", "body", "--card"},
        {"CatalogueOutside.htm", "header", "#5c4a2c"},
        {"CatalogueOutside.htm", "address", "#5c4a2c"},
        {"CatalogueOutside.htm", "address a", "#5c4a2c"},
        {"CatalogueOutside.htm", "a", "--paper"},
        {"CatalogueOutside.htm", "h2 .year", "--card"},
        {"CatalogueOutside.htm", ".category", "--card"},
        {"CatalogueOutside.htm", "dt", "--card"},
        {"CatalogueOutside.htm", ".when", "--card"},
        {"CatalogueOutside.htm", "tbody tr:last-child td", "--paper"},
        {"ListOutside.htm", "body", "--card"},
        {"ListOutside.htm", "header", "#5c4a2c"},
        {"ListOutside.htm", "address", "#5c4a2c"},
        {"ListOutside.htm", "address a", "#5c4a2c"},
        {"ListOutside.htm", "thead th", "--band"},
        {"ListOutside.htm", ".year", "#fcfaf5"},
        {"ListOutside.htm", ".sub", "#fcfaf5"},
        {"ListOutside.htm", ".sub", "--card"},
        {"ListOutside.htm", "tbody tr:last-child td", "--paper"},
        {"ListOutside.htm", "a", "--paper"},
    };
    const std::regex colour("(^|[\\s;{])color:\\s*([^;}]+?)\\s*(;|$)");
    for (const Case& c : cases) {
        const std::string page = ReadBytes(kSource / "templates" / c.outer);
        const std::string rule = TopLevelRule(page, c.selector);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(rule, m, colour)) << c.outer << " " << c.selector;
        const std::string fg = ColourValue(page, m[2]);
        const std::string bg = ColourValue(page, c.background);
        ASSERT_FALSE(fg.empty() || bg.empty()) << c.outer << " " << c.selector;
        EXPECT_GE(Contrast(fg, bg), 4.5) << c.outer << " " << c.selector << ": " << fg << " on " << bg;
    }
    EXPECT_NEAR(Contrast("#a8802f", "#ffffff"), 3.62, 0.01);  // the formula itself
}
