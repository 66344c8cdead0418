#pragma once
// Answers the program's modal questions and windows in tests, by caption, in the order expected.
// An unexpected one fails the test and is answered "Nein"/cancel so nothing blocks. A question asked
// without waiting (ask) is answered at once, or held until the test answers it (expectHeld), so
// that several can be up at once and be answered in any order.

#include "core/ui/Dialogs.h"

#include <QDialog>
#include <QPrinter>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>

namespace tvp::test {

struct Seen {
    QString caption;
    QString text;
    TMsgAnswer defaultAnswer = TMsgAnswer::Yes; // the button Enter would press, for message boxes
};

class ScriptedDialogs : public IDialogs {
public:
    struct Step {
        QString caption;
        TMsgAnswer answer = TMsgAnswer::Ok;
        QString fileName;                      // for file and folder dialogs
        std::function<int(QDialog&)> onModal;  // for modal dialogs
        std::function<int(QWidget&)> onWindow; // for work windows shown modally
        std::optional<QString> text;           // for text questions; none cancels
        bool held = false;                     // a question asked without waiting stays up
    };
    struct Held {
        QString caption;
        std::function<void(TMsgAnswer)> answered;
    };

    void expectMessage(const QString& caption, TMsgAnswer answer)
    {
        steps.push_back({caption, answer, {}, {}, {}, {}});
    }
    void expectFile(const QString& caption, const QString& fileName)
    {
        steps.push_back({caption, {}, fileName, {}, {}, {}});
    }
    // The printer dialog prints into a PDF file; an empty path cancels it.
    void expectPrinter(const QString& caption, const QString& pdfFile) { expectFile(caption, pdfFile); }
    void expectModal(const QString& caption, std::function<int(QDialog&)> onModal)
    {
        steps.push_back({caption, {}, {}, std::move(onModal), {}, {}});
    }
    void expectWindow(const QString& caption, std::function<int(QWidget&)> onWindow)
    {
        steps.push_back({caption, {}, {}, {}, std::move(onWindow), {}});
    }
    // The text question of that caption is answered with text; std::nullopt cancels it.
    void expectText(const QString& caption, std::optional<QString> text)
    {
        steps.push_back({caption, {}, {}, {}, {}, std::move(text)});
    }
    // The question of that caption, asked without waiting, stays up until answer() is called.
    void expectHeld(const QString& caption) { steps.push_back({caption, {}, {}, {}, {}, {}, true}); }
    // The printer dialog asked so: answer(caption, Ok) prints into pdfFile, any other answer cancels.
    void expectHeldPrinter(const QString& caption, const QString& pdfFile)
    {
        steps.push_back({caption, {}, pdfFile, {}, {}, {}, true});
    }
    // Answers the held question of that caption; false when none is up.
    bool answer(const QString& caption, TMsgAnswer given)
    {
        for (auto it = held.begin(); it != held.end(); ++it)
            if (it->caption == caption) {
                const std::function<void(TMsgAnswer)> answered = std::move(it->answered);
                held.erase(it);
                answered(given);
                return true;
            }
        return false;
    }
    bool allAnswered() const { return steps.empty() && held.empty(); }

    TMsgAnswer messageBox(QWidget*, const QString& caption, const QString& text, TMsgKind, TMsgButtons,
                          TMsgAnswer defaultAnswer) override
    {
        seen.push_back({caption, text, defaultAnswer});
        const std::optional<Step> s = next(caption, text);
        return s ? s->answer : TMsgAnswer::No;
    }
    void ask(QWidget*, const QString& caption, const QString& text, TMsgKind, TMsgButtons, TMsgAnswer defaultAnswer,
             std::function<void(TMsgAnswer)> answered) override
    {
        seen.push_back({caption, text, defaultAnswer});
        const std::optional<Step> s = next(caption, text);
        if (s && s->held)
            held.push_back({caption, std::move(answered)});
        else
            answered(s ? s->answer : TMsgAnswer::No);
    }
    void askPrinter(QWidget*, const QString& caption, QPrinter& printer, std::function<void(bool)> answered) override
    {
        seen.push_back({caption, {}, {}});
        const std::optional<Step> s = next(caption, {});
        auto choose = [&printer, file = s ? s->fileName : QString(), answered = std::move(answered)](TMsgAnswer given) {
            const bool chosen = given == TMsgAnswer::Ok && !file.isEmpty();
            if (chosen) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(file);
            }
            answered(chosen);
        };
        if (s && s->held)
            held.push_back({caption, std::move(choose)});
        else
            choose(TMsgAnswer::Ok);
    }
    QString getOpenFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        return fileAnswer(caption);
    }
    QString getSaveFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        return fileAnswer(caption);
    }
    // Records the suffix; the scripted name comes back as it is, like from a dialog that applied it
    // (script "x.csv") or one that did not (script "x").
    QString getSaveFileNameWithSuffix(QWidget*, const QString& caption, const QString&, const QString&,
                                      const QString& defaultSuffix) override
    {
        lastDefaultSuffix = defaultSuffix;
        return fileAnswer(caption);
    }
    QString getExistingDirectory(QWidget*, const QString& caption, const QString&) override
    {
        return fileAnswer(caption);
    }
    std::optional<QString> getText(QWidget*, const QString& caption, const QString& prompt, const QString&) override
    {
        seen.push_back({caption, prompt, {}});
        const std::optional<Step> s = next(caption, prompt);
        return s ? s->text : std::nullopt;
    }
    bool printDialog(QWidget*, const QString& caption, QPrinter& printer) override
    {
        const QString file = fileAnswer(caption);
        if (file.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    }
    int execModal(QWidget& window) override
    {
        seen.push_back({window.windowTitle(), {}, {}});
        // A copy: the handler may open further dialogs, which take their own steps meanwhile.
        const std::optional<Step> s = next(window.windowTitle(), {});
        if (s && s->onWindow) {
            // Shown like the real thing, only not modal, so the test can go on driving it.
            window.show();
            const int result = s->onWindow(window);
            window.hide();
            return result;
        }
        auto* dialog = qobject_cast<QDialog*>(&window);
        return s && s->onModal && dialog ? s->onModal(*dialog) : QDialog::Rejected;
    }

    void beep() override { ++beeps; }

    std::vector<Seen> seen;
    std::deque<Step> steps;
    std::vector<Held> held;
    QString lastDefaultSuffix;
    int beeps = 0;

private:
    std::optional<Step> next(const QString& caption, const QString& text)
    {
        if (steps.empty() || steps.front().caption != caption) {
            ADD_FAILURE() << "unexpected dialog \"" << caption.toStdString() << "\": " << text.toStdString();
            return std::nullopt;
        }
        Step step = std::move(steps.front());
        steps.pop_front();
        return step;
    }
    QString fileAnswer(const QString& caption)
    {
        seen.push_back({caption, {}, {}});
        const std::optional<Step> s = next(caption, {});
        return s ? s->fileName : QString();
    }
};

} // namespace tvp::test
