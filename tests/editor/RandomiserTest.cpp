// The randomiser: which people and which values it draws, between which bounds, and with what.
#include <cstdlib>

#include "EditorHarness.h"

using namespace edtest;

namespace {

constexpr float kBefore = 0.9f;  // every person value before a randomisation
constexpr float kDrawn = 0.3f;   // lower = upper: every draw is exactly this

class RandomiserTest : public OpenEditorTest {
protected:
    void SetUp() override {
        OpenEditorTest::SetUp();
        Bounds(kDrawn, kDrawn);
    }
    void Bounds(float lower, float upper) {
        Control(4)->setValue(lower);
        Control(5)->setValue(upper);
    }
    // Every person value set to kBefore, then one randomisation with the scope switch on (every
    // person of the population) or off (the selected one) and the target menu on this entry.
    void Randomise(bool everyone, int target) {
        for (int p = 0; p < kNumPeople; ++p)
            for (int k = 0; k < 12; ++k) Set(PersonIndex(p, k), kBefore);
        Control(744)->setValue(everyone ? 1.0f : 0.0f);
        Menu(743)->setCurrent(target);
        editor->RandomiseParams();
    }
    // Per person, a bit per value k (0..10; person 59's value 11 is no parameter) that holds the
    // drawn value; -1 when a value is neither. Read from the record: the host does not see them all.
    std::vector<int> Drawn() {
        std::vector<int> masks(kNumPeople, 0);
        for (int p = 0; p < kNumPeople; ++p)
            for (int k = 0; k < 11; ++k) {
                const float v = engine->CurrentProgram().Load(PersonIndex(p, k));
                masks[p] = v == kDrawn ? masks[p] | 1 << k : v == kBefore ? masks[p] : -1;
            }
        return masks;
    }
    // Persons first to last hold mask, the others nothing drawn.
    static std::vector<int> People(int first, int last, int mask) {
        std::vector<int> masks(kNumPeople, 0);
        std::fill(masks.begin() + first, masks.begin() + last + 1, mask);
        return masks;
    }
    static float Formula(float lower, float upper, int r) {
        return ((upper - lower) * 3.0517578e-5f) * static_cast<float>(r % 32768) + lower;
    }
};

TEST_F(RandomiserTest, ScopeOnCoversThePopulationScopeOffTheSelectedPersonAndEachTargetItsValues) {
    for (int population : {0, 12, 60}) {  // 60: person 60's writes (737 to 744) go nowhere
        Set(0, std::min(1.0f, population * kStep));
        const std::vector<float> globals{Get(0), Get(1), Get(2), Get(13)};
        Randomise(true, 0);
        EXPECT_EQ(Drawn(), People(0, std::min(population, 59), 0xFF)) << population;
        EXPECT_EQ((std::vector<float>{Get(0), Get(1), Get(2), Get(13)}), globals);
    }
    Set(0, 40 * kStep);
    Set(1, 17 * kStep);
    Randomise(false, 0);
    EXPECT_EQ(Drawn(), People(17, 17, 0xFF));
    Set(0, 2 * kStep);  // the selection follows the population down to person 2
    Randomise(false, 9);
    EXPECT_EQ(Drawn(), People(2, 2, 1 << 7));
    const int expected[10] = {0xFF, 0x7F, 1 << 0, 1 << 1, 1 << 2, 1 << 3, 1 << 4, 1 << 5, 1 << 6, 1 << 7};
    Set(1, 0.0f);
    for (int target = 0; target < 10; ++target) {
        Randomise(false, target);
        EXPECT_EQ(Drawn(), People(0, 0, expected[target])) << Titles(743, target, target);
    }
}

// Every draw is exactly (upper − lower) × (r mod 32768) / 32768 + lower: never 1.0 between 0 and 1
// (32767/32768 at most), and from the lower bound down when the bounds are reversed.
TEST_F(RandomiserTest, DrawsFollowTheFormulaOnEveryButtonReportAndShowOnTheKnobsWithoutAutomation) {
    Bounds(0.75f, 0.25f);
    Set(1, 3 * kStep);
    std::srand(1234);
    int r[8];
    for (int& draw : r) draw = std::rand();
    std::srand(1234);
    Panel()->SetRedraw(0.0f);
    Randomise(false, 0);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(Get(PersonIndex(3, k)), Formula(0.75f, 0.25f, r[k])) << k;
        EXPECT_EQ(editor->GetPersonKnob(k)->getValue(), Get(PersonIndex(3, k))) << k;
    }
    EXPECT_EQ(Panel()->GetRedraw(), 1.0f);
    EXPECT_TRUE(host.Automations().empty()) << "randomised values are not automation";
    Set(1, 0.0f);
    Control(744)->setValue(0.0f);
    Menu(743)->setCurrent(9);
    Bounds(0.0f, 1.0f);
    std::srand(99);
    std::rand();
    const int second = std::rand(), third = std::rand();
    std::srand(99);
    Click(Control(742));  // released on the button: reports 1, then 0
    EXPECT_EQ(Get(PersonIndex(0, 7)), Formula(0.0f, 1.0f, second));
    Click(Control(742), true);  // reports 0 only
    EXPECT_EQ(Get(PersonIndex(0, 7)), Formula(0.0f, 1.0f, third));
}

}  // namespace
