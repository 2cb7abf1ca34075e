// Build-time helper: writes the program icon at one size for the hicolor theme.
// usage: vor-icon-scaler SOURCE.png SIZE TARGET.png

#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: vor-icon-scaler SOURCE.png SIZE TARGET.png\n");
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    if (source.isNull() || size <= 0 || size > 1024) {
        std::fprintf(stderr, "vor-icon-scaler: cannot read %s or bad size %s\n", argv[1], argv[2]);
        return 1;
    }
    const QImage scaled = source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!scaled.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "vor-icon-scaler: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
