#include "output/qt/CPictureWnd.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include "output/PictureChoice.h"
#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

namespace {

// Above this many bytes a picture that its format cannot decode at a smaller size is not
// decoded at all: 100 megapixels at 32 bits a pixel still fit.
constexpr int kAllocationLimitMiB = 512;
// The longest the window shows the previous picture before it says that one is loading.
constexpr int kLoadingDelayMs = 100;

QSettings GeometrySettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("numora"),
                     QStringLiteral("picture-window"));
}

CPictureWnd::Side Decode(const PictureSide& chosen, QSize box, const std::atomic<int>& generation, int asked)
{
    CPictureWnd::Side side;
    side.name = ToQString(chosen.name);
    if (!chosen.problem.empty()) {
        side.line = ToQString(chosen.problem);
        return side;
    }
    std::string problem;
    const int fd = OpenPictureFile(chosen, problem);
    if (fd < 0) {
        side.line = ToQString(problem);
        return side;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        side.line = ToQString(UndecodablePictureLine(chosen.name));
        return side;
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kAllocationLimitMiB);
    QSize size = reader.size();
    if (size.isValid() && reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
        size.transpose();
    side.fullSize = size;
    if (size.isValid()) {
        const PictureSize fit = FitPicture(size.width(), size.height(), box.width(), box.height());
        if (fit.width > 0 && (fit.width < size.width() || fit.height < size.height()))
            reader.setScaledSize(QSize(fit.width, fit.height));
    }
    if (generation.load() != asked)
        return side;  // a newer request came: its answer is the one shown
    QImage image = reader.read();
    if (image.isNull()) {
        const bool tooLarge = size.isValid() && static_cast<qint64>(size.width()) * size.height() * 4 >
                                                     static_cast<qint64>(kAllocationLimitMiB) * 1024 * 1024;
        side.line = ToQString(tooLarge ? TooLargePictureLine(chosen.name, size.width(), size.height())
                                       : UndecodablePictureLine(chosen.name));
        return side;
    }
    // Formats that cannot decode at a smaller size give the whole picture.
    if (image.width() > box.width() || image.height() > box.height())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    side.image = std::move(image);
    return side;
}

}  // namespace

CPictureWnd::CPictureWnd(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("picture"));
    setWindowTitle(ToQString(strings::kPictureTitle));
    new QHBoxLayout(this);
    // Two threads: a newer picture need not wait for a large one still being decoded.
    m_pool = new QThreadPool(this);
    m_pool->setMaxThreadCount(2);
    m_loadingTimer = new QTimer(this);
    m_loadingTimer->setSingleShot(true);
    m_loadingTimer->setInterval(kLoadingDelayMs);
    connect(m_loadingTimer, &QTimer::timeout, this, &CPictureWnd::ShowLoading);
    m_resizeTimer = new QTimer(this);
    m_resizeTimer->setSingleShot(true);
    m_resizeTimer->setInterval(250);
    connect(m_resizeTimer, &QTimer::timeout, this, &CPictureWnd::Request);

    const QByteArray geometry = GeometrySettings().value(QStringLiteral("geometry")).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        resize(360, 400);
        if (owner) {
            // Right of the main window where the screen has room, else left of it, else as far
            // right as it fits.
            const QRect main = owner->frameGeometry();
            // The window manager's frame is not known before the window is shown: room is left.
            const QRect screen = owner->screen() ? owner->screen()->availableGeometry().adjusted(8, 8, -8, -8) : QRect();
            QPoint at = main.topRight() + QPoint(8, 0);
            if (screen.isValid() && at.x() + width() > screen.right()) {
                at.setX(main.left() - 8 - width() >= screen.left() ? main.left() - 8 - width()
                                                                   : screen.right() - width());
            }
            if (screen.isValid()) {
                resize(std::min(width(), screen.width()), std::min(height(), screen.height()));
                at.setY(std::clamp(at.y(), screen.top(), screen.bottom() + 1 - height()));
                at.setX(std::max(at.x(), screen.left()));
            }
            move(at);
        }
    }
    Layout(1);
}

CPictureWnd::~CPictureWnd()
{
    ++*m_generation;
    m_pool->clear();
    m_pool->waitForDone();
    if (isVisible())
        SaveGeometry();
}

void CPictureWnd::ShowField(const QString& imageField, const QString& folder)
{
    m_field = imageField;
    m_folder = folder;
    Request();
}

void CPictureWnd::Request()
{
    const int asked = ++*m_generation;
    m_pending = true;
    const int count = m_field.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size() > 1 ? 2 : 1;
    const QSize box = BoxSize(count) * devicePixelRatioF();
    const std::string field = ToUtf8(m_field), folder = ToUtf8(m_folder);
    std::shared_ptr<std::atomic<int>> generation = m_generation;
    // Safe to post to the window: its destructor waits for a decode under way.
    m_pool->start([this, generation, asked, box, field, folder] {
        if (generation->load() != asked)
            return;
        QList<Side> sides;
        for (const PictureSide& chosen : ChoosePictures(field, folder))
            sides.append(Decode(chosen, box, *generation, asked));
        if (generation->load() != asked)
            return;
        QMetaObject::invokeMethod(this, [this, asked, sides] { Accept(asked, sides); }, Qt::QueuedConnection);
    });
    m_loadingTimer->start();
}

void CPictureWnd::Accept(int generation, const QList<Side>& sides)
{
    if (generation != m_generation->load())
        return;
    m_pending = false;
    m_loadingTimer->stop();
    m_sides = sides;
    const qreal ratio = devicePixelRatioF();
    for (Side& side : m_sides)
        side.image.setDevicePixelRatio(ratio);
    Layout(static_cast<int>(m_sides.size()));
    Rescale();
    QStringList names;
    for (const Side& side : std::as_const(m_sides))
        if (!side.name.isEmpty())
            names.append(side.name);
    setWindowTitle(names.isEmpty() ? ToQString(strings::kPictureTitle)
                                   : ToQString(strings::kPictureTitle) + QStringLiteral(" - ") +
                                         names.join(QStringLiteral(", ")));
    emit shown();
}

void CPictureWnd::ShowLoading()
{
    const QStringList names = m_field.split('\n', Qt::SkipEmptyParts);
    Layout(std::max(1, static_cast<int>(std::min<qsizetype>(2, names.size()))));
    for (int i = 0; i < m_views.size(); ++i) {
        const QString name = i < names.size() ? QFileInfo(names[i].trimmed()).fileName() : QString();
        m_views[i].picture->setPixmap(QPixmap());
        m_views[i].picture->setText(ToQString(LoadingPictureLine(ToUtf8(name))));
        m_views[i].name->clear();
    }
}

void CPictureWnd::Layout(int count)
{
    auto* row = static_cast<QHBoxLayout*>(layout());
    while (m_views.size() < count) {
        auto* column = new QVBoxLayout;
        SideView view;
        view.picture = new QLabel(this);
        view.picture->setAlignment(Qt::AlignCenter);
        view.picture->setWordWrap(true);
        view.picture->setMinimumSize(64, 64);
        view.picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        view.name = new QLabel(this);
        view.name->setAlignment(Qt::AlignHCenter);
        view.name->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(view.picture, 1);
        column->addWidget(view.name);
        row->addLayout(column);
        m_views.append(view);
    }
    for (int i = 0; i < m_views.size(); ++i) {
        m_views[i].picture->setVisible(i < count);
        m_views[i].name->setVisible(i < count);
    }
}

void CPictureWnd::Rescale()
{
    for (int i = 0; i < m_sides.size() && i < m_views.size(); ++i) {
        const Side& side = m_sides[i];
        QLabel* picture = m_views[i].picture;
        m_views[i].name->setText(side.name);
        if (side.image.isNull()) {
            picture->setPixmap(QPixmap());
            picture->setText(side.line);
            continue;
        }
        const QSize box = picture->size() * devicePixelRatioF();
        const PictureSize fit = FitPicture(side.image.width(), side.image.height(), box.width(), box.height());
        QImage shown = fit.width > 0 && fit.width < side.image.width()
                           ? side.image.scaled(fit.width, fit.height, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : side.image;
        shown.setDevicePixelRatio(devicePixelRatioF());
        picture->setPixmap(QPixmap::fromImage(shown));
    }
}

QSize CPictureWnd::BoxSize(int count) const
{
    // Before the window is laid out its picture labels have no size yet: its own size shared.
    if (!m_views.isEmpty() && m_views.front().picture->isVisible() && m_views.front().picture->width() > 64 &&
        m_views.size() >= count)
        return m_views.front().picture->size();
    return QSize(std::max(64, width() / count - 16), std::max(64, height() - 40));
}

QStringList CPictureWnd::Lines() const
{
    QStringList lines;
    for (int i = 0; i < m_views.size(); ++i) {
        if (m_views[i].picture->isVisibleTo(this))
            lines.append(m_views[i].picture->pixmap().isNull() ? m_views[i].picture->text() : QString());
    }
    return lines;
}

QList<QImage> CPictureWnd::Pictures() const
{
    QList<QImage> pictures;
    for (const Side& side : m_sides)
        pictures.append(side.image);
    return pictures;
}

void CPictureWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Rescale();
    // A window made larger than a picture was decoded at gets it again, sharper.
    for (int i = 0; i < m_sides.size() && i < m_views.size(); ++i) {
        const Side& side = m_sides[i];
        const QSize box = m_views[i].picture->size() * devicePixelRatioF();
        if (!side.image.isNull() && side.fullSize.width() > side.image.width() &&
            box.width() > side.image.width() && box.height() > side.image.height()) {
            m_resizeTimer->start();
            break;
        }
    }
}

void CPictureWnd::hideEvent(QHideEvent* event)
{
    SaveGeometry();
    QWidget::hideEvent(event);
}

void CPictureWnd::SaveGeometry() const
{
    QSettings settings = GeometrySettings();
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
}
