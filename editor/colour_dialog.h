// The colour dialog "色設定": text, background and code colours of the
// section view, each chosen from the 27 colours whose red, green and blue
// are 0, 128 or 255, with a sample that follows every change.
#ifndef TLV_EDITOR_COLOUR_DIALOG_H_
#define TLV_EDITOR_COLOUR_DIALOG_H_

#include <QColor>
#include <QDialog>
#include <array>

class QComboBox;
class QLabel;

namespace tlv {

/// The 27 colours in list order: red slowest, blue fastest.
std::array<QColor, 27> PaletteColours();

class ColourDialog : public QDialog {
  Q_OBJECT

 public:
  ColourDialog(const QColor& text, const QColor& background, const QColor& code,
               QWidget* parent = nullptr);

  QColor text() const;
  QColor background() const;
  QColor code() const;

  QComboBox* text_list() const { return text_list_; }
  QComboBox* background_list() const { return background_list_; }
  QComboBox* code_list() const { return code_list_; }
  /// The sample "{X <X_CORD> }" as rich text.
  QLabel* sample() const { return sample_; }

 private:
  QComboBox* MakeList(const QColor& current);
  void UpdateSample();

  QComboBox* text_list_ = nullptr;
  QComboBox* background_list_ = nullptr;
  QComboBox* code_list_ = nullptr;
  QLabel* sample_ = nullptr;
};

}  // namespace tlv

#endif  // TLV_EDITOR_COLOUR_DIALOG_H_
