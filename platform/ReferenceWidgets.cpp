// The screen-reader tests' reference: a small program made of the toolkit's stock widgets
// alone (a line edit, a combo, a check box, a slider, a number box, a label whose text
// follows the slider, a list, a tree and a status bar), run beside ours on the same desktop,
// so that the events a reader hears from our controls are measured against what the
// desktop's own controls send for the same input. The program does not link it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeWidget>

int main(int argc, char** argv)
{
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Reference widgets");
  auto* form = new QWidget;
  auto* layout = new QFormLayout(form);
  auto* edit = new QLineEdit("20");
  layout->addRow("Teeth", edit);
  auto* combo = new QComboBox;
  combo->addItems({"Red", "Green", "Blue"});
  layout->addRow("Colour", combo);
  auto* check = new QCheckBox("Show marker");
  layout->addRow(check);
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(0, 40);
  slider->setValue(10);
  layout->addRow("Angle", slider);
  auto* spin = new QSpinBox;
  spin->setRange(10, 40);
  spin->setValue(26);
  layout->addRow("Number of teeth", spin);
  auto* angle = new QLabel("Angle = 10");
  layout->addRow(angle);
  auto* list = new QListWidget;
  list->addItems({"First", "Second", "Third"});
  layout->addRow("Entries", list);
  auto* tree = new QTreeWidget;
  tree->setHeaderLabel("Contents");
  auto* top = new QTreeWidgetItem(tree, QStringList{"Levers"});
  new QTreeWidgetItem(top, QStringList{"Class 1 levers"});
  layout->addRow(tree);
  window.setCentralWidget(form);
  window.statusBar()->showMessage("Ready");
  QObject::connect(slider, &QSlider::valueChanged, angle,
                   [angle](int v) { angle->setText(QString("Angle = %1").arg(v)); });
  QObject::connect(check, &QCheckBox::toggled, &window,
                   [&window](bool on) { window.statusBar()->showMessage(on ? "Marker shown" : "Marker hidden"); });
  window.move(0, 0);
  window.resize(420, 560);
  window.show();
  return app.exec();
}
