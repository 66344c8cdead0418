#pragma once
// Answers the program's modal questions and windows in tests, by caption, in the order expected.
// An unexpected one fails the test and is answered "Nein"/cancel so nothing blocks.

#include "Dialogs.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace tvp::test {

struct Seen {
    QString caption;
    QString text;
};

class ScriptedDialogs : public IDialogs {
public:
    struct Step {
        QString caption;
        TMsgAnswer answer = TMsgAnswer::Ok;
        QString fileName;                      // for file and folder dialogs
        std::function<int(QDialog&)> onModal;  // for modal windows
    };

    void expectMessage(const QString& caption, TMsgAnswer answer) { steps.push_back({caption, answer, {}, {}}); }
    void expectFile(const QString& caption, const QString& fileName) { steps.push_back({caption, {}, fileName, {}}); }
    void expectModal(const QString& caption, std::function<int(QDialog&)> onModal)
    {
        steps.push_back({caption, {}, {}, std::move(onModal)});
    }
    bool allAnswered() const { return steps.empty(); }

    TMsgAnswer messageBox(QWidget*, const QString& caption, const QString& text, TMsgKind, TMsgButtons) override
    {
        seen.push_back({caption, text});
        Step* s = next(caption, text);
        return s ? s->answer : TMsgAnswer::No;
    }
    QString getOpenFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        return fileAnswer(caption);
    }
    QString getSaveFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        return fileAnswer(caption);
    }
    QString getExistingDirectory(QWidget*, const QString& caption, const QString&) override
    {
        return fileAnswer(caption);
    }
    int execModal(QDialog& dialog) override
    {
        seen.push_back({dialog.windowTitle(), {}});
        Step* s = next(dialog.windowTitle(), {});
        return s && s->onModal ? s->onModal(dialog) : QDialog::Rejected;
    }

    std::vector<Seen> seen;
    std::deque<Step> steps;

private:
    Step* next(const QString& caption, const QString& text)
    {
        if (steps.empty() || steps.front().caption != caption) {
            ADD_FAILURE() << "unexpected dialog \"" << caption.toStdString() << "\": " << text.toStdString();
            return nullptr;
        }
        current = steps.front();
        steps.pop_front();
        return &current;
    }
    QString fileAnswer(const QString& caption)
    {
        seen.push_back({caption, {}});
        Step* s = next(caption, {});
        return s ? s->fileName : QString();
    }
    Step current;
};

} // namespace tvp::test
