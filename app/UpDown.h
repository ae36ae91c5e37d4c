// A spinner bound to a digits-only edit: two small arrow buttons that step the number
// in the edit within a range, the way the length boxes of the main window work.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    // The edit whose number the spinner steps; its Up and Down keys step it too.
    void SetAssociate(QLineEdit* edit);
    // What the spinner sets (the edit's hint): the spinner's own accessible name, and
    // with "Augmenter" / "Diminuer" before it, the names of its two arrows.
    void SetHint(const QString& hint);
    QLineEdit* Associate() const { return associate_; }

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int v) { min_ = v; }
    void SetMax(int v) { max_ = v; }
    // Keeps the position within the range; the edit's text is left as it stands.
    void SetPosition(int v);

    // One step up (+1) or down (-1) from the number in the edit; the new number is
    // written back into the edit.
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Clamp(int v) const;

    QLineEdit* associate_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};
