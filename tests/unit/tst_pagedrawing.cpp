// Which OpenGL renderers draw with the processor, by the names their drivers give.

#include "platform/desktop/webengine/pagedrawing.h"

#include <QTest>

class tst_PageDrawing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawnInSoftware_data();
    void drawnInSoftware();
};

void tst_PageDrawing::drawnInSoftware_data()
{
    QTest::addColumn<QString>("renderer");
    QTest::addColumn<bool>("software");

    QTest::newRow("llvmpipe") << u"llvmpipe (LLVM 15.0.6, 256 bits)"_qs << true;
    QTest::newRow("older llvmpipe") << u"Gallium 0.4 on llvmpipe (LLVM 3.4, 128 bits)"_qs << true;
    QTest::newRow("softpipe") << u"softpipe"_qs << true;
    QTest::newRow("classic swrast") << u"Software Rasterizer"_qs << true;
    QTest::newRow("OpenSWR") << u"SWR (LLVM 12.0.0, 256 bits)"_qs << true;
    QTest::newRow("SwiftShader") << u"Google SwiftShader"_qs << true;
    // Hardware drivers, some naming the LLVM that compiles their shaders.
    QTest::newRow("Intel") << u"Mesa Intel(R) UHD Graphics 620 (KBL GT2)"_qs << false;
    QTest::newRow("AMD")
        << u"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)"_qs
        << false;
    QTest::newRow("NVIDIA") << u"NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2"_qs << false;
    QTest::newRow("VMware") << u"SVGA3D; build: RELEASE;  LLVM;"_qs << false;
    QTest::newRow("virgl") << u"virgl (Intel(R) UHD Graphics 630)"_qs << false;
    QTest::newRow("unknown") << QString() << false;
}

void tst_PageDrawing::drawnInSoftware()
{
    QFETCH(QString, renderer);
    QFETCH(bool, software);
    QCOMPARE(PageDrawing::drawnInSoftware(renderer), software);
}

QTEST_APPLESS_MAIN(tst_PageDrawing)
#include "tst_pagedrawing.moc"
