#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veyra {

class CaptureAreaEditorModel;
class ColorSwatch;

// The column beside the canvas: the selected area's box id, region and background, the
// uniformity warning, the red message (a failed operation, else the first broken save
// rule) and the Cancel and Save buttons. Edits of the box id rename the area at once.
class CaptureAreaInspector : public QWidget
{
    Q_OBJECT

public:
    explicit CaptureAreaInspector(CaptureAreaEditorModel &model, QWidget *parent = nullptr);

    QPushButton &saveButton() const { return *m_save; }
    QPushButton &cancelButton() const { return *m_cancel; }

    QSize sizeHint() const override;

    // Texts in the current interface language.
    void retranslate();
    // Shows the model's current state.
    void refresh();

Q_SIGNALS:
    void saveRequested();
    void cancelRequested();

private:
    CaptureAreaEditorModel &m_model;
    QLabel *m_title;
    QWidget *m_selectedSection;
    QLabel *m_boxIDTitle;
    QLineEdit *m_boxID;
    QLabel *m_regionTypeLabel;
    QLabel *m_regionType;
    QLabel *m_valueLabels[4];
    QLabel *m_values[4];
    QLabel *m_backgroundTitle;
    QWidget *m_swatchRow;
    ColorSwatch *m_swatch;
    QLabel *m_rgb;
    QLabel *m_pickHint;
    QFrame *m_explanation;
    QLabel *m_explanationText;
    QLabel *m_explanationSymbol;
    QLabel *m_noSelection;
    QLabel *m_warning;
    QLabel *m_message;
    QPushButton *m_cancel;
    QPushButton *m_save;
    // The id whose text the Box ID field shows.
    std::optional<QString> m_shownID;
};

} // namespace veyra
