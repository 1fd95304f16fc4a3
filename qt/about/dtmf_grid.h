// The DTMF reference table of the About window: a 250 x 111 picture of empty
// bevelled cell boxes with the row and column frequencies as headers. The key
// characters are separate labels laid over it by the window.
#pragma once

#include <QImage>
#include <QWidget>

#include "about_form.h"

namespace about {

class DtmfGrid : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = forms::about_form::grid::kWidth;
    static constexpr int kHeight = forms::about_form::grid::kHeight;

    explicit DtmfGrid(QWidget* parent = nullptr);

    // The picture drawn for a device pixel ratio, so that it stays sharp on
    // scaled screens; its logical size is always kWidth x kHeight.
    [[nodiscard]] static QImage renderImage(qreal devicePixelRatio);

    [[nodiscard]] QSize sizeHint() const override { return {kWidth, kHeight}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage cache_;
};

}  // namespace about
