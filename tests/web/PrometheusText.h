#pragma once

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtDebug>

namespace trevisk {

// Every sample of a metrics text as Prometheus' reference parser reads it: "name{labels}" -> value.
// Throws on anything the format does not allow, which fails the test.
inline QHash<QString, double> parseMetrics(const QByteArray& text)
{
    static const char script[] = "import json, sys\n"
                                 "from prometheus_client.parser import text_string_to_metric_families\n"
                                 "out = {}\n"
                                 "for family in text_string_to_metric_families(sys.stdin.read()):\n"
                                 "    for s in family.samples:\n"
                                 "        labels = ','.join('%s=%s' % (k, s.labels[k]) for k in sorted(s.labels))\n"
                                 "        out[s.name + '{' + labels + '}'] = s.value\n"
                                 "print(json.dumps(out))\n";
    QProcess python;
    // Debian's interpreter, which has Debian's prometheus_client.
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script)});
    python.write(text);
    python.closeWriteChannel();
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        qWarning().noquote() << python.readAllStandardError();
        return {};
    }
    QHash<QString, double> samples;
    const QJsonObject object = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (auto it = object.begin(); it != object.end(); ++it)
        samples.insert(it.key(), it.value().toDouble());
    return samples;
}

} // namespace trevisk
