#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#include <atomic>
#include <memory>

class QLabel;
class QThreadPool;
class QTimer;

// A window of its own beside the main window that shows the picture of the coin in the form,
// scaled to fit, with its file name. Pictures are decoded at the size they are shown at, off the window's
// thread, so a huge file never holds the window up; a newer request makes an older one's
// result go unused. Its size and place are kept in the user's settings (Numora's
// "picture-window.ini" under the XDG configuration folder).
class CPictureWnd : public QWidget {
    Q_OBJECT

public:
    explicit CPictureWnd(QWidget* owner);
    ~CPictureWnd() override;

    // Shows what `imageField` names; relative paths are taken from `folder`.
    void ShowField(const QString& imageField, const QString& folder);

    // What each side shows now: the line of text, or empty while it shows a picture.
    QStringList Lines() const;
    // The pictures shown, scaled; a null image for a side with a line.
    QList<QImage> Pictures() const;
    // True while a request has not been answered yet.
    bool IsLoading() const { return m_pending; }

    // The decoded result of one side.
    struct Side {
        QString name;
        QString line;     // shown instead of a picture when not empty
        QImage image;     // decoded, at most the size asked for
        QSize fullSize;   // the picture's own size, when known
    };

signals:
    // Every answer to ShowField has been shown.
    void shown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Request();
    void Accept(int generation, const QList<Side>& sides);
    void ShowLoading();
    void Layout(int count);
    void Rescale();
    QSize BoxSize(int count) const;
    void SaveGeometry() const;

    struct SideView {
        QLabel* picture = nullptr;
        QLabel* name = nullptr;
    };
    QList<SideView> m_views;
    QList<Side> m_sides;
    QString m_field, m_folder;
    std::shared_ptr<std::atomic<int>> m_generation = std::make_shared<std::atomic<int>>(0);
    bool m_pending = false;
    QThreadPool* m_pool = nullptr;
    QTimer* m_loadingTimer = nullptr;
    QTimer* m_resizeTimer = nullptr;
};
