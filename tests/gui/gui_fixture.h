// What the GUI tests share: a fixture that starts the real window offscreen with settings of
// its own, and helpers that render, count pixels, drop files and answer the prompt.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "qt/application.h"

namespace vistrel {

/// The folder of the generated sample traces, from the command line.
extern std::string sampleFolder;

class Gui : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(config_.isValid());
    // No test reads or writes a real user's settings. The tests draw at a fixed Y scale; a
    // test of the first start takes the file away.
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    std::ofstream(settingsPath()) << "[Options]\nFit window=0\n";
  }

  std::string settingsPath() const { return (config_.path() + "/vistrel.ini").toStdString(); }

  /// The title as the window manager shows it: the modified mark in place of "[*]".
  static QString shownTitle(const QWidget& window) {
    QString title = window.windowTitle();
    return title.replace("[*]", window.isWindowModified() ? "*" : "");
  }

  std::unique_ptr<Session> start(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "vistrel");
    auto session = startSession(arguments);
    QApplication::processEvents();
    return session;
  }

  static std::string sample(const char* name) { return sampleFolder + "/" + name; }

  /// The view as drawn now.
  static QImage render(Session& s) {
    s.window->view()->repaint();
    return s.window->view()->grab().toImage();
  }

  std::string settingsText() const {
    std::ifstream in(settingsPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  QTemporaryDir config_;
};

/// How many pixels of `area` have `colour`.
int pixelsOf(const QImage& image, QColor colour, QRect area);

/// How many pixels of `area` are nearer to `colour` than to white: a smoothed line or letter.
int pixelsNear(const QImage& image, QColor colour, QRect area);

/// Presses the button labelled `text` of the modal dialog shown next (the save-changes prompt).
void answerPrompt(const QString& text);

/// Drops `file` on `target` as a file manager does.
void dropFile(QWidget* target, const std::string& file);

}  // namespace vistrel
