#pragma once
// Opens pages in headless Chromium inside frames of a probe page and reads back what each
// page showed: whether it rendered, its images with their decoded sizes, and its links.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <gtest/gtest.h>

// A page that loads every page of the sets in a frame and reports, one line each:
// PAGE <page> <tokens left>, IMG <page> <url> <decoded width> <decoded height>, LINK <page> <url>,
// OPEN <page> <url> <window name> (the script links, run with window.open recorded).
inline QByteArray probePage(const QStringList& pages)
{
    QByteArray html = "<html><body><pre id=\"out\"></pre>\n<script>\n"
                      "var out = [];\n"
                      "function put(fields) { out.push(fields.map(encodeURIComponent).join(' '));\n"
                      "  document.getElementById('out').textContent = out.join('\\n'); }\n"
                      "function probe(frame, page) {\n"
                      "  var w = frame.contentWindow, d = frame.contentDocument;\n"
                      "  if (!d || !d.body) { put(['NODOC', page]); return; }\n"
                      "  put(['PAGE', page, String(d.documentElement.outerHTML.indexOf('***') >= 0)]);\n"
                      "  for (var i = 0; i < d.images.length; ++i)\n"
                      "    put(['IMG', page, d.images[i].src, String(d.images[i].naturalWidth), String(d.images[i].naturalHeight)]);\n"
                      "  w.open = function(url, name) { put(['OPEN', page, new URL(url, w.location.href).href, name]);"
                      " return null; };\n"
                      "  for (var j = 0; j < d.links.length; ++j) {\n"
                      "    var href = d.links[j].getAttribute('href');\n"
                      "    if (href.indexOf('javascript:') == 0) w.eval(href.substring(11));\n"
                      "    else put(['LINK', page, d.links[j].href]);\n"
                      "  }\n"
                      "}\n"
                      "</script>\n";
    for (const QString& page : pages) {
        const QByteArray src = page.toUtf8().toPercentEncoding("/");
        html += "<iframe src=\"" + src + "\" onload=\"probe(this, '" + src + "')\"></iframe>\n";
    }
    return html + "</body></html>";
}

struct ProbeLine {
    QString kind, page, url, extra;
    QString extra2; // IMG: the decoded height
};

// Runs the browser on the probe page and gives the lines it reported.
inline QList<ProbeLine> runBrowser(const QString& probe, const QString& profile)
{
    const QString browser = QStandardPaths::findExecutable("chromium");
    if (browser.isEmpty()) {
        ADD_FAILURE() << "chromium is not installed; scripts/setup.sh installs it";
        return {};
    }
    QProcess process;
    process.start(browser, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                            "--disable-background-networking", "--disable-component-update", "--disable-sync",
                            "--user-data-dir=" + profile, "--allow-file-access-from-files", "--dump-dom",
                            QUrl::fromLocalFile(probe).toString()});
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the browser did not finish";
        return {};
    }
    const QString dom = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    static const QRegularExpression pre("<pre id=\"out\">(.*)</pre>", QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = pre.match(dom);
    if (!m.hasMatch()) {
        ADD_FAILURE() << "no report in the page: " << dom.left(2000).toStdString();
        return {};
    }
    QList<ProbeLine> lines;
    for (const QString& line : m.captured(1).split('\n', Qt::SkipEmptyParts)) {
        QStringList fields;
        for (const QString& f : line.split(' '))
            fields << QUrl::fromPercentEncoding(f.toUtf8());
        while (fields.size() < 5)
            fields << QString();
        lines.append({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    return lines;
}

