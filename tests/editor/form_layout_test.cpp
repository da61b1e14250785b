#include "editor/form_layout.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "editor/parameter_binding.h"

namespace {

struct PlacedRow {
    const char* name;
    ControlRect onForm;
};

TEST(FormLayout, NestedControlsSitWhereTheirParentsPutThem) {
    const PlacedRow rows[] = {
        {"GroupBox1", {0, 0, 457, 281}},    {"TrackBar3", {312, 32, 33, 113}},
        {"TrackBar7", {16, 32, 33, 113}},   {"TrackBar10", {176, 32, 33, 113}},
        {"RadioGroup2", {216, 24, 73, 81}}, {"Tsumami1", {232, 112, 25, 25}},
        {"RadioGroup1", {16, 184, 97, 81}}, {"Tsumami3", {120, 200, 33, 33}},
        {"Tsumami5", {200, 200, 33, 33}},   {"Image1", {248, 168, 110, 25}},
        {"Memo1", {248, 200, 201, 73}},     {"Label13", {184, 144, 12, 12}},
    };
    for (const PlacedRow& row : rows) {
        const ControlLayout* control = findControl(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(formRect(*control), row.onForm) << row.name;
    }
    EXPECT_EQ(findControl("Timer1"), nullptr);
}

TEST(FormLayout, EveryControlLiesInsideItsParentAndTheForm) {
    for (const ControlLayout& control : kFormLayout) {
        const ControlRect rect = control.rect;
        ControlRect parent{0, 0, kFormWidth, kFormHeight};
        if (control.parent != nullptr) {
            const ControlLayout* row = findControl(control.parent);
            ASSERT_NE(row, nullptr) << control.name;
            EXPECT_LT(row - kFormLayout.data(), &control - kFormLayout.data()) << control.name;
            parent = {0, 0, row->rect.width, row->rect.height};
        }
        EXPECT_GE(rect.left, 0) << control.name;
        EXPECT_GE(rect.top, 0) << control.name;
        EXPECT_LE(rect.left + rect.width, parent.width) << control.name;
        EXPECT_LE(rect.top + rect.height, parent.height) << control.name;
    }
}

TEST(FormLayout, EachParameterIsBoundToExactlyOneControlOfAMatchingKind) {
    std::set<std::int32_t> bound;
    for (const ControlLayout& control : kFormLayout) {
        if (control.parameter < 0) continue;
        EXPECT_TRUE(bound.insert(control.parameter).second) << control.name;
        const ParameterBinding& binding = kBindings[control.parameter];
        EXPECT_EQ(binding.reversed, control.kind == ControlKind::TrackBar) << control.name;
        if (control.kind == ControlKind::Knob) {
            EXPECT_EQ(binding.steps, 100) << control.name;
        }
        if (control.kind == ControlKind::RadioGroup) {
            EXPECT_EQ(radioItems(control.parameter).size(), std::size_t(binding.steps) + 1);
        }
        EXPECT_GE(control.position, 0) << control.name;
        EXPECT_LE(control.position, binding.steps) << control.name;
    }
    EXPECT_EQ(bound.size(), std::size_t(kParameterCount));
    EXPECT_EQ(std::string(radioItems(Wave)[2]), "Sqr");
    EXPECT_EQ(std::string(radioItems(Type)[2]), "HiPass");
}

TEST(FormLayout, TabOrderNamesOnlyControlsThatTakeTheFocus) {
    for (const char* name : kTabOrder) {
        const ControlLayout* control = findControl(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(control->kind == ControlKind::TrackBar ||
                    control->kind == ControlKind::RadioGroup || control->kind == ControlKind::Memo)
            << name;
    }
}

TEST(FormLayout, RadioItemsShareTheHeightBelowTheCaption) {
    // A 14-pixel text cell leaves 62 pixels: four items of 15 with one pixel over, three of 20
    // with two over.
    const ControlRect wave = findControl("RadioGroup2")->rect;
    EXPECT_EQ(radioItemRect(wave, 4, 0, 14), (ControlRect{8, 16, 63, 15}));
    EXPECT_EQ(radioItemRect(wave, 4, 2, 14), (ControlRect{8, 46, 63, 15}));
    const ControlRect type = findControl("RadioGroup1")->rect;
    EXPECT_EQ(radioItemRect(type, 3, 1, 14), (ControlRect{8, 36, 87, 20}));
    EXPECT_EQ(radioItemRect(type, 3, 2, 14), (ControlRect{8, 56, 87, 20}));
}

} // namespace
