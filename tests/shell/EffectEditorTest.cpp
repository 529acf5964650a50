// The editor object as the host meets it before the window exists, and what it owns: the engine
// and a share of the process-wide bundle reference.
#include <gtest/gtest.h>

#include "TestHost.h"
#include "editor/EffectEditor.h"
#include "platform/Bundle.h"
#include "shell/EffectVST.h"

namespace {

TEST(PluginEditor, AnswersAnEmptyRectangleAndOpensNoWindow) {
    TestHost host;
    LoadedEffect effect(host.Load());
    ASSERT_NE(effect.get(), nullptr);
    ERect* rect = nullptr;
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 0);
    EXPECT_EQ(rect->right, 0);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effEditGetRect, 0, 0, nullptr), 0);

    int parentWindow = 0;
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effEditOpen, 0, 0, &parentWindow), 0);
    TestHost::Dispatch(effect.get(), effEditIdle);
    TestHost::Dispatch(effect.get(), effEditClose);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effEditKeyDown, 'a', 0), 0);
    EXPECT_EQ(TestHost::Dispatch(effect.get(), effSetEditKnobMode, 0, 2), 0);
    // Parameter traffic reaches the closed editor without harm.
    effect->setParameter(effect.get(), 2, 0.5f);
    EXPECT_EQ(effect->getParameter(effect.get(), 2), 0.5f);
}

TEST(PluginEditor, TheEditorHandsItsEngineToTheShell) {
    TestHost host;
    LoadedEffect effect(host.Load());
    auto* shell = static_cast<EffectVST*>(effect->object);
    auto* editor = static_cast<EffectEditor*>(shell->getEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getEffect(), shell);
    ASSERT_NE(shell->engine, nullptr);
    EXPECT_EQ(editor->GetEngine(), shell->engine);
}

TEST(PluginEditor, EveryInstanceHoldsOneBundleReferenceUntilItCloses) {
    TestHost host;
    const int before = Bundle::References();
    AEffect* first = host.Load();
    AEffect* second = host.Load();
    EXPECT_EQ(Bundle::References(), before + 2);
    TestHost::Unload(first);
    EXPECT_EQ(Bundle::References(), before + 1);
    TestHost::Unload(second);
    EXPECT_EQ(Bundle::References(), before);
}

}  // namespace
