#include "app/FlashTemplateOutlineDelegate.h"
#include "app/SelectTemplateWindowDelegate.h"

#include "base/NotificationCenter.h"
#include "support/TempHome.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateProperty.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::test;

namespace {

// Counts the notifications of one name and keeps the object of the last one.
struct Posted {
    explicit Posted(const std::string& name)
        : observer(NotificationCenter::defaultCenter(), name, [this](const Notification& n) {
              ++count;
              object = n.object;
              withInfo = withInfo || !n.userInfo.empty();
          }) {}
    int count = 0;
    std::any object;
    bool withInfo = false;
    ScopedObserver observer;
};

std::unique_ptr<FlashTemplateProperty> property(std::int32_t type, std::optional<std::string> value,
                                                std::optional<std::string> source = {}) {
    auto p = std::make_unique<FlashTemplateProperty>();
    p->setPropertyType(type);
    p->setValue(std::move(value));
    p->setValueSource(std::move(source));
    return p;
}

} // namespace

TEST(PropertyOutline, EditsStoreTextsByTypeAndAnnounceOnlyRealChanges) {
    using Edit = std::function<bool(FlashTemplateOutlineDelegate&, FlashTemplateProperty&)>;
    const auto text = [](std::string column, std::string t) -> Edit {
        return [=](auto& d, auto& p) { return d.setText(p, column, t); };
    };
    const auto set = [&](std::string t) { return text("value", t); };
    const auto check = [](bool on) -> Edit {
        return [=](auto& d, auto& p) { return d.setChecked(p, "value", on); };
    };
    const auto pick = [](int index) -> Edit {
        return [=](auto& d, auto& p) { return d.setListIndex(p, "value", index); };
    };
    struct Row {
        const char* what;
        std::int32_t type;
        std::optional<std::string> value;
        std::optional<std::string> source;
        Edit edit;
        std::optional<std::string> stored;
        int posts;
    };
    const Row rows[] = {
        {"text changed", pt_text, "a", {}, set("b"), "b", 1},
        {"the same text posts nothing", pt_text, "same", {}, set("same"), "same", 0},
        {"the key column ignores edits", pt_text, "a", {}, text("key", "b"), "a", 0},
        {"any other column ignores edits", pt_text, "a", {}, text("", "b"), "a", 0},
        {"check box off from lower-case show", pt_bool, "show", {}, check(false), "NO", 1},
        {"check box on", pt_bool, "NO", {}, check(true), "YES", 1},
        {"third list item, spaces kept", pt_list, "a", "a, b , c d ", pick(2), " c d ", 1},
        {"list index out of range", pt_list, "a", "a,b", pick(2), "a", 0},
        {"a cancelled file chooser empties", pt_file, "/x/a.png", "I|*.png", set(""), "", 1},
        {"a typed path is kept", pt_file, "", {}, set("logo.png"), "logo.png", 1},
        {"colour", pt_color, "0x000000", {}, set("0x1a2b3c"), "0x1a2b3c", 1},
    };
    FlashTemplateOutlineDelegate delegate;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto p = property(row.type, row.value, row.source);
        Posted posted("FlashTmplProValueChangedNotification");
        EXPECT_EQ(row.edit(delegate, *p), row.posts == 1);
        EXPECT_EQ(p->value(), row.stored);
        EXPECT_EQ(posted.count, row.posts);
        EXPECT_FALSE(posted.withInfo);
        if (posted.count) {
            EXPECT_EQ(std::any_cast<FlashTemplateProperty*>(posted.object), p.get());
        }
    }
    auto fixed = property(pt_text, "a");
    fixed->setReadOnly(true);
    EXPECT_FALSE(delegate.setText(*fixed, "value", "b")) << "read-only values are not edited";
}

// The cells' texts and editors are the window's matter; here what it asks of a row.
TEST(PropertyOutline, RowsExpandWithChildrenAndListsFindTheirValue) {
    auto group = property(pt_text, "");
    EXPECT_FALSE(FlashTemplateOutlineDelegate::isItemExpandable(*group)) << "no children";
    group->appendChild(property(pt_text, "child"));
    EXPECT_TRUE(FlashTemplateOutlineDelegate::isItemExpandable(*group));

    auto list = property(pt_list, "b", "a,b,c");
    EXPECT_EQ(FlashTemplateOutlineDelegate::selectedListItem(*list), 1);
    list->setValue("z");
    EXPECT_EQ(FlashTemplateOutlineDelegate::selectedListItem(*list), -1);
}

TEST(PropertyOutline, FileFiltersGiveTheirExtensions) {
    using Strings = std::vector<std::string>;
    const std::pair<std::string, Strings> rows[] = {{"Images|*.jpg;*.png", {"jpg", "png"}},
                                                    {"*.mp3", {"mp3"}}, // no |: used whole
                                                    {"Any|", {}},
                                                    {"a|*.swf|*.gif", {"swf"}}};
    for (const auto& [filter, extensions] : rows)
        EXPECT_EQ(FlashTemplateOutlineDelegate::fileExtensions(filter), extensions) << filter;
}

// The window shows and applies the choice; here the edges: a name in any case,
// the styles' shots, a selection beyond the styles, no such template.
TEST(TemplateChooser, OpensOnTheTemplateWhateverItsCaseAndReturnsOnlyAStyleShown) {
    SelectTemplateWindowDelegate chooser;
    const auto row = chooser.prepairToTmpl("FLOAT");
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(std::pair(chooser.rowTitle(*row), chooser.rowIconFile(*row).filename()),
              std::pair(std::string("float"), fs::path("icon.png")));
    ASSERT_FALSE(chooser.styles().empty());
    const auto& last = chooser.styles().back();
    EXPECT_EQ(last.imageID, FlashTemplate::stylePathFor("float", last.styleName) / "shot.jpg");
    EXPECT_FALSE(chooser.selectedStyle(std::nullopt) ||
                 chooser.selectedStyle(chooser.styles().size()));
    EXPECT_EQ(chooser.selectedStyle(chooser.styles().size() - 1), last.imageID);
    EXPECT_FALSE(chooser.prepairToTmpl("no such template"));
    EXPECT_TRUE(chooser.styles().empty());
}
