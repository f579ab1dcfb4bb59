// The show's timeline: spans, the show length, the 100-effect limit, Init
// inside AddEffect and ownership of the held effects.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "effect.h"
#include "effectsmanager.h"
#include "main.h"
#include "quitcapture.h"

namespace {

// What every counting effect of one test did, in order.
struct Journal {
    std::vector<std::string> events;
    int inits = 0;
    int deletes = 0;

    void Add(const std::string &event) { events.push_back(event); }
};

class CountingEffect : public Effect {
public:
    CountingEffect(Journal *journal, const std::string &name) : journal_(journal), name_(name) {}
    ~CountingEffect() override
    {
        journal_->deletes++;
        journal_->Add(name_ + " deleted");
    }
    int Do(int showMs, int spanStartMs) override
    {
        journal_->Add(name_ + " Do(" + std::to_string(showMs) + ", " + std::to_string(spanStartMs) +
                      ")");
        return 0;  // the manager must not care
    }
    int Init() override
    {
        journal_->inits++;
        // The manager counts an effect only once its Init has returned.
        const int counted = effectsManager ? effectsManager->effectCount : -1;
        journal_->Add(name_ + " Init with " + std::to_string(counted) + " counted");
        return 0;
    }

private:
    Journal *journal_;
    std::string name_;
};

class EffectsManagerTest : public ::testing::Test {
protected:
    static const int Start = 5000;  // tick count at show clock 0

    void SetUp() override
    {
        effectsManager = new EffectsManager(120000);
        effectsManager->startTime = Start;
    }
    void TearDown() override
    {
        delete effectsManager;
        effectsManager = NULL;
    }
    int AddCounting(const std::string &name, int start, int end)
    {
        return effectsManager->AddEffect(new CountingEffect(&journal_, name), start, end);
    }
    // Runs one frame at show clock showMs and answers what the effects did.
    std::vector<std::string> Frame(int showMs, int *answer = NULL)
    {
        journal_.events.clear();
        const int result = effectsManager->Do(Start + showMs);
        if (answer) *answer = result;
        return journal_.events;
    }

    Journal journal_;
};

using Events = std::vector<std::string>;

TEST_F(EffectsManagerTest, SpanIncludesItsStartAndExcludesItsEnd)
{
    AddCounting("a", 1000, 2000);
    EXPECT_EQ(Events{}, Frame(999));
    EXPECT_EQ(Events{"a Do(1000, 1000)"}, Frame(1000));
    EXPECT_EQ(Events{"a Do(1999, 1000)"}, Frame(1999));
    EXPECT_EQ(Events{}, Frame(2000));
}

TEST_F(EffectsManagerTest, ShowClockIsTicksLessStartTime)
{
    AddCounting("whole", 0, 500000);
    EXPECT_EQ(Events{"whole Do(0, 0)"}, Frame(0));
    EXPECT_EQ(Events{"whole Do(61234, 0)"}, Frame(61234));
    // Ticks before the start give a negative clock, outside the span.
    EXPECT_EQ(Events{}, Frame(-1));
}

TEST_F(EffectsManagerTest, LastFrameIsAtTheShowLengthAndOneMsLaterTheShowIsOver)
{
    AddCounting("whole", 0, 500000);
    int answer = -1;
    EXPECT_EQ(Events{"whole Do(120000, 0)"}, Frame(120000, &answer));
    EXPECT_EQ(1, answer);
    EXPECT_EQ(Events{}, Frame(120001, &answer));
    EXPECT_EQ(0, answer);
}

TEST_F(EffectsManagerTest, EmptyManagerAnswersOneUpToTheShowLength)
{
    EXPECT_EQ(1, effectsManager->Do(Start));
    EXPECT_EQ(1, effectsManager->Do(Start + 120000));
    EXPECT_EQ(0, effectsManager->Do(Start + 120001));
}

TEST_F(EffectsManagerTest, OtherShowLengthsEndWhereTheySay)
{
    delete effectsManager;
    effectsManager = new EffectsManager(300);
    effectsManager->startTime = Start;
    AddCounting("a", 0, 1000);
    int answer = -1;
    EXPECT_EQ(Events{"a Do(300, 0)"}, Frame(300, &answer));
    EXPECT_EQ(1, answer);
    EXPECT_EQ(Events{}, Frame(301, &answer));
    EXPECT_EQ(0, answer);
}

TEST_F(EffectsManagerTest, ActiveEffectsAreCalledInTheOrderTheyWereAdded)
{
    AddCounting("late", 500, 3000);
    AddCounting("early", 0, 1000);
    AddCounting("never", 2000, 2000);     // end at its start: never active
    AddCounting("backwards", 3000, 100);  // end before its start: never active
    EXPECT_EQ((Events{"early Do(499, 0)"}), Frame(499));
    EXPECT_EQ((Events{"late Do(500, 500)", "early Do(500, 0)"}), Frame(500));
    EXPECT_EQ((Events{"late Do(2000, 500)"}), Frame(2000));
    EXPECT_EQ(Events{}, Frame(3000));
}

TEST_F(EffectsManagerTest, InitRunsOnceInsideAddEffectBeforeTheEffectIsCounted)
{
    EXPECT_EQ(1, AddCounting("first", 0, 10));
    EXPECT_EQ(1, AddCounting("second", 0, 10));
    EXPECT_EQ((Events{"first Init with 0 counted", "second Init with 1 counted"}), journal_.events);
    EXPECT_EQ(2, effectsManager->effectCount);
    Frame(5);
    Frame(6);
    EXPECT_EQ(2, journal_.inits);
}

TEST_F(EffectsManagerTest, HoldsAHundredEffectsAndRefusesTheNextWithoutInitialisingIt)
{
    for (int i = 0; i < 100; i++)
        ASSERT_EQ(1, AddCounting("e" + std::to_string(i), 0, 10)) << "effect " << i;
    EXPECT_EQ(100, journal_.inits);

    Journal refusedJournal;
    CountingEffect *refused = new CountingEffect(&refusedJournal, "refused");
    EXPECT_EQ(0, effectsManager->AddEffect(refused, 0, 10));
    EXPECT_EQ(0, refusedJournal.inits);
    EXPECT_EQ(100, effectsManager->effectCount);

    // The refused effect is still the caller's: the manager neither calls
    // nor deletes it.
    EXPECT_EQ(100u, Frame(1).size());
    EXPECT_TRUE(refusedJournal.events.empty());
    delete effectsManager;
    effectsManager = NULL;
    EXPECT_EQ(100, journal_.deletes);
    EXPECT_EQ(0, refusedJournal.deletes);
    delete refused;
}

TEST_F(EffectsManagerTest, DeletingTheManagerDeletesEachHeldEffectOnceInIndexOrder)
{
    AddCounting("a", 0, 10);
    AddCounting("b", 20, 30);
    AddCounting("c", 0, 0);
    journal_.events.clear();
    delete effectsManager;
    effectsManager = NULL;
    EXPECT_EQ((Events{"a deleted", "b deleted", "c deleted"}), journal_.events);
    EXPECT_EQ(3, journal_.deletes);
}

// An effect whose Init ends the process is not yet held: Quit, which deletes
// the manager, must leave it alone. Its destructor would print.
class QuittingEffect : public Effect {
public:
    explicit QuittingEffect(bool quitInInit) : quitInInit_(quitInInit) {}
    ~QuittingEffect() override { printf("effect deleted\n"); }
    int Init() override
    {
        if (quitInInit_) Quit(1, "init failed");
        return 1;
    }
    int Do(int, int) override
    {
        Quit(1, "do failed");
        return 1;
    }

private:
    bool quitInInit_;
};

TEST_F(EffectsManagerTest, EffectWhoseInitEndsTheProcessIsNotDeleted)
{
    EXPECT_QUITS(effectsManager->AddEffect(new QuittingEffect(true), 0, 10), 1, "init failed\n");
}

TEST_F(EffectsManagerTest, HeldEffectIsDeletedWhenTheProcessEnds)
{
    EXPECT_QUITS(
        {
            effectsManager->AddEffect(new QuittingEffect(false), 0, 10);
            effectsManager->Do(Start + 1);
        },
        1, "do failed\neffect deleted\n");
}

}  // namespace
