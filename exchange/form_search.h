#pragma once
// The search window: a small window on top of the others that finds lines of the main list by a piece of
// text. It holds the inputs and the results; the search itself, docking and selecting a found line are the
// main window's, which this window asks for by posted requests.

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

namespace chimewell {

class TfrmSearch : public QWidget {
    Q_OBJECT
public:
    // The owner is the main window: the search window stays in front of it and goes with it.
    explicit TfrmSearch(QWidget* owner);

    // Where requests go: the main window's posted handler, given each time the main window shows this window.
    std::function<void(int code, int argument)> MainWindowRequests;

    // The search over the main list's lines: both lists cleared, then filled with the lines that contain the
    // search text and their line numbers.
    void ShowMatches(const std::vector<std::string>& recordLines);
    // Docks at the right edge of the main window's frame, when docking is ticked.
    void FollowFrame(const QRect& mainFrame);
    // The history of search texts, oldest first.
    std::vector<std::string> History() const;

    QLabel* lbSearch;
    QComboBox* cbSearch;
    QPushButton* btnSearch;
    QLabel* lbSearchResult;
    QListWidget* lstSearchResult;
    // Never shown: for each result, at the same row, its line number in the main list.
    QListWidget* lstNumbers;
    QCheckBox* cbGo;
    QCheckBox* cbTransparent;
    QSlider* tbTransparent;
    QPushButton* btnClose;

    // The place before docking, given back when docking ends.
    QPoint RememberedPosition;
    QSize RememberedSize;

public slots:
    void btnSearchClick();
    void lstSearchResultClick();
    void cbGoClick(bool checked);
    void cbTransparentClick(bool checked);
    void tbTransparentChange(int value);
    void btnCloseClick();

private:
    void Post(int code, int argument) const;
};

} // namespace chimewell
