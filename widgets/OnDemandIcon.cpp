#include "OnDemandIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <array>
#include <optional>

namespace voicememo {

namespace {

constexpr int kScales = static_cast<int>(std::size(kPictureScales));
constexpr int kModes = 4;  // Normal, Disabled, Active, Selected

class OnDemandEngine : public QIconEngine {
public:
    OnDemandEngine(QSize size, PictureMaker make) : size_(size), make_(std::move(make)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return size_.width() > size.width() || size_.height() > size.height() ? size_.scaled(size, Qt::KeepAspectRatio)
                                                                              : size_;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        const QSize pixels = size * scale;  // the size comes in device-independent pixels
#else
        (void)scale;  // the size comes in device pixels
        const QSize pixels = size;
#endif
        // The smallest picture that covers the size, made smaller if need be.
        int which = 0;
        while (which + 1 < kScales && (size_.width() * kPictureScales[which] < pixels.width() ||
                                       size_.height() * kPictureScales[which] < pixels.height()))
            ++which;
        QPixmap picture = own(which, mode);
        if (picture.isNull()) {
            picture = own(which, QIcon::Normal);
            if (mode != QIcon::Normal && !picture.isNull() &&
                qobject_cast<QApplication*>(QCoreApplication::instance())) {
                QStyleOption option(0);
                option.palette = QGuiApplication::palette();
                picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
            }
        }
        if (picture.width() > pixels.width() || picture.height() > pixels.height()) {
            const qreal ratio = picture.devicePixelRatio();
            picture = picture.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            picture.setDevicePixelRatio(ratio);
        }
        return picture;
    }

    // The pictures drawn pixel for pixel, at 1× and 2×: the 1.5× one is the
    // 2× one made smaller, as whoever asks (the window's icon for the
    // window manager) can make it too.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {size_, size_ * 2}; }

    QIconEngine* clone() const override { return new OnDemandEngine(*this); }
    QString key() const override { return QStringLiteral("voicememo-on-demand"); }
    bool isNull() override { return size_.isEmpty(); }

private:
    QPixmap own(int which, QIcon::Mode mode)
    {
        std::optional<QPixmap>& made = made_[static_cast<std::size_t>(which)][static_cast<std::size_t>(mode)];
        if (!made)
            made = make_(kPictureScales[which], mode);
        return *made;
    }

    QSize size_;
    PictureMaker make_;
    std::array<std::array<std::optional<QPixmap>, kModes>, kScales> made_;
};

}  // namespace

QIcon OnDemandIcon(QSize size, PictureMaker make) { return QIcon(new OnDemandEngine(size, std::move(make))); }

}  // namespace voicememo
