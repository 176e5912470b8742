// A program to drag from, for the end-to-end tests: its window, "Zentrivo Drag Source", is one
// 200×200 button at 100,100. Pressing it and moving 10 pixels starts a drag (XDND) of the URLs
// given as arguments, offering copy, move and link. It prints "answer: <action>" each time the
// window under the drag answers with another action, "drop: <action>" when the drag ends
// (none when refused or cancelled), and stays until it is ended.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

const char* name(Qt::DropAction action) {
    return action == Qt::CopyAction   ? "copy"
           : action == Qt::MoveAction ? "move"
           : action == Qt::LinkAction ? "link"
                                      : "none";
}

class DragSource final : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : urls(std::move(urls)) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(40, 160, 80)); }
    void mousePressEvent(QMouseEvent* event) override { start = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (started || !(event->buttons() & Qt::LeftButton) ||
            (event->position().toPoint() - start).manhattanLength() < 10)
            return;
        started = true;
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls);
        drag->setMimeData(data);
        QObject::connect(drag, &QDrag::actionChanged,
                         [](Qt::DropAction action) { std::printf("answer: %s\n", name(action)); });
        const Qt::DropAction done =
            drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        // It stays until ended: the target fetches the dragged data from it after the drop.
        std::printf("drop: %s\n", name(done));
    }

private:
    QList<QUrl> urls;
    QPoint start;
    bool started = false;
};

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line read by the test as it comes
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i)
        urls << QUrl(QString::fromLocal8Bit(argv[i]));
    DragSource window(urls);
    window.setWindowTitle(QStringLiteral("Zentrivo Drag Source"));
    window.setGeometry(100, 100, 200, 200);
    window.show();
    return app.exec();
}
