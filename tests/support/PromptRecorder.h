#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ui/dialogs/Prompt.h"

namespace korvex::test {

// A test that records every message box and answers from a script (default: its
// default button).
class PromptRecorder : public ::testing::Test {
protected:
    std::vector<Prompt> prompts;
    std::vector<bool> answers;

    void SetUp() override {
        setPromptHook([this](const Prompt& p) {
            prompts.push_back(p);
            if (answers.empty()) {
                return p.affirmativeDefault;
            }
            const bool a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
    }
    void TearDown() override { setPromptHook({}); }
};

}  // namespace korvex::test
