// The About window's legend of the result list's colour bands: a staircase of
// the band pictures, seven in the top row and one fewer in each row below.
#pragma once

#include <QPoint>
#include <QWidget>
#include <vector>

namespace vs
{

class ColourLegend : public QWidget
{
    Q_OBJECT
  public:
    struct Placement {
        int picture; // 1..7 in ImageList1
        QPoint pos;  // pixels from the box's top-left corner
    };
    explicit ColourLegend(QWidget *parent = nullptr);
    // Row r (0..6) holds pictures 1..7-r, picture k+1 at (k, r) x 200 twips.
    static std::vector<Placement> Layout();

  protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace vs
