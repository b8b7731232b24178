#pragma once
// Dialogs for the window benchmarks: none blocks, and a message or question during a run, which
// spoils its figures, is printed.

#include <QColor>
#include <QDate>
#include <QStringList>
#include <cstdio>
#include <optional>

#include "app/dialogs.h"

namespace sorvane::bench {

class SilentDialogs : public sorvane::app::Dialogs {
  public:
    void message(sorvane::app::MessageIcon, const QString&, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    int ask(sorvane::app::MessageIcon, const QString&, const QString& text,
            const QStringList& choices) override {
        std::fprintf(stderr, "question: %s\n", text.toLocal8Bit().constData());
        return static_cast<int>(choices.size()) - 1;
    }
    std::optional<QDate> askDate(const QString&, const QString&, const QDate&) override {
        return std::nullopt;
    }
    std::optional<QString> openFile(const sorvane::app::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<QStringList> openFiles(const sorvane::app::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const sorvane::app::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor&, const QString&) override {
        return std::nullopt;
    }
};

}  // namespace sorvane::bench
