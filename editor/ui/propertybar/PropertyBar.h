// The property bar: a selector above a two-column list of the properties at
// the caret (or of the selected window area), and a hint line for the selected
// row. The rows, their values, hints and what a change does are the engine's
// (editing/PropertyBar.h); this widget only shows them and hands back the user's
// choice. Requests that need other windows go to the main frame.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "editing/PropertyBar.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace lumavox::ui {

class CMainFrame;

class CPropertyBar : public QWidget {
    Q_OBJECT
  public:
    CPropertyBar(CMainFrame& frame, QWidget* parent = nullptr);

    // Builds the rows again from the active document's state.
    void rebuild();
    const PropertyList& list() const { return list_; }
    QTableWidget* table() const { return table_; }
    QComboBox* header() const { return header_; }
    QString hint() const;

    // Uses a row as a person would: a choice by option index, a typed value, or
    // an action button.
    void choose(int row, int option);
    void enter(int row, const QString& value);
    void press(int row);

    // Requests the bar cannot finish itself (graphic editor, window editor).
    using RequestHandler = std::function<void(const PropertyResult&)>;
    void setRequestHandler(RequestHandler handler) { requestHandler_ = std::move(handler); }

  private:
    PropertyContext context() const;
    void finish(const PropertyResult& result);
    void showHint(int row);
    std::string signature() const;

    CMainFrame& frame_;
    QComboBox* header_;
    QTableWidget* table_;
    QLabel* hint_;
    PropertyList list_;
    std::string shown_;
    bool filling_ = false;
    RequestHandler requestHandler_;
};

}  // namespace lumavox::ui
