#include <QDir>
#include <QJsonArray>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QTest>

// The program picks its windowing system at start: Wayland on a Wayland
// session, X11 elsewhere. It can only do so when Qt's platform plugins for both
// are installed; this reads the keys of the installed plugins the way Qt's
// plugin factory does, without starting a platform.
class tst_PlatformPlugins : public QObject {
    Q_OBJECT

private slots:
    void pluginIsInstalled_data();
    void pluginIsInstalled();
};

static QStringList installedPlatformKeys()
{
    QStringList keys;
    const QDir dir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    for (const QString& file : dir.entryList(QDir::Files)) {
        const QPluginLoader loader(dir.filePath(file));
        const QJsonArray fileKeys = loader.metaData().value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
        for (const QJsonValue& key : fileKeys)
            keys << key.toString();
    }
    return keys;
}

void tst_PlatformPlugins::pluginIsInstalled_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("native Wayland session") << QStringLiteral("wayland");
    QTest::newRow("X11 session or XWayland") << QStringLiteral("xcb");
}

void tst_PlatformPlugins::pluginIsInstalled()
{
    QFETCH(QString, key);
    const QStringList keys = installedPlatformKeys();
    QVERIFY2(keys.contains(key), qPrintable(QStringLiteral("installed platforms: ") + keys.join(QStringLiteral(", "))));
}

QTEST_GUILESS_MAIN(tst_PlatformPlugins)
#include "tst_platform_plugins.moc"
