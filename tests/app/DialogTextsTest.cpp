// The dialogs hand their texts to the widgets as they stand, so no dialog text
// may carry a placeholder: a "%d" or "%s" would need the formatter (and would
// show as it stands if it reached QString::arg, which knows only "%1"), and a
// "%1" would show in a language file's copy. Every built-in dialog text is
// walked through the formatter and must come back unchanged.
#include "app/DialogTexts.h"

#include <gtest/gtest.h>

#include <regex>

#include "strings/TextFormat.h"

namespace lumavox {
namespace {

TEST(DialogTexts, NoDialogTextCarriesAPlaceholder) {
    const std::regex qtPlaceholder("%[0-9]");
    size_t walked = 0;
    for (const DialogTexts& d : builtInDialogTexts()) {
        std::vector<std::string> texts = {d.title};
        for (const DialogControlText& c : d.controls)
            texts.push_back(c.text);
        for (const std::string& t : texts) {
            EXPECT_EQ(formatText(t, {7, "x", 8, "y", 9}), t) << "dialog " << d.templateId;
            EXPECT_FALSE(std::regex_search(t, qtPlaceholder)) << "dialog " << d.templateId;
            ++walked;
        }
    }
    EXPECT_GT(walked, 100u);
}

}  // namespace
}  // namespace lumavox
