// Delivery to a real SMTP server (Debian's aiosmtpd, started on loopback by the test).
#include "platform/smtpclient.h"
#include "smtpsink.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(SmtpDelivery, RealServerReceivesEachMailIntact)
{
    SmtpSink sink;
    ASSERT_TRUE(sink.started()) << sink.startError().toStdString();

    MailMessage m;
    m.fromAddress = "rotation@example.org";
    m.fromName = "Turnfold";
    m.to = "Zoë Admin <admin@example.org>";
    m.subject = "Turnfold Rotation Log for 12/09/26 04:53:14";
    m.mailer = "Turnfold 1.1";
    // The server refuses a line of more than 998 bytes.
    const QString longPath = "/srv/www/" + QString(1500, 'p');
    m.body = {"* 12/09/26 04:53:14 - One sucessfully updated to rotation 2", ".", ".hidden", "Grüße",
              "! 12/09/26 04:53:14 - Could not copy the file, " + longPath + ", for site, One!"};

    for (const QString& userId : {QString("turnfold.example"), QString()}) {
        SmtpClient client;
        client.setHost("127.0.0.1");
        client.setPort(sink.port());
        client.setUserId(userId);
        ASSERT_TRUE(client.connectToServer()) << client.lastError().toStdString();
        ASSERT_TRUE(client.sendMail(m)) << client.lastError().toStdString();
        client.disconnect();
    }

    const QList<SmtpSink::Mail> mails = sink.mails(2);
    ASSERT_EQ(mails.size(), 2);
    for (const SmtpSink::Mail& mail : mails) {
        EXPECT_EQ(mail.sender, QString("rotation@example.org"));
        EXPECT_EQ(mail.recipients, QStringList{"admin@example.org"});
        EXPECT_EQ(mail.data.left(mail.data.indexOf("\r\n\r\n") + 4), "From: Turnfold<rotation@example.org>\r\n"
                             "To: =?utf-8?B?Wm/DqyBBZG1pbg==?= <admin@example.org>\r\n"
                             "Subject: Turnfold Rotation Log for 12/09/26 04:53:14\r\n"
                             "X-Mailer: Turnfold 1.1\r\n"
                             "Mime-Version: 1.0\r\n"
                             "Content-Type: text/plain; charset=utf-8\r\n"
                             "Content-Transfer-Encoding: quoted-printable\r\n"
                             "\r\n");
        EXPECT_TRUE(mail.parsed["sevenBit"].toBool());
        EXPECT_EQ(mail.parsed["text"].toString(), "\r\n" + m.body.join("\r\n") + "\r\n");
    }
}

} // namespace
