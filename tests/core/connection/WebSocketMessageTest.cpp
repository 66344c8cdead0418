#include "core/connection/WebSocketMessage.h"

#include <gtest/gtest.h>

using namespace tvp;
using Kind = TWebSocketMessage::Kind;

TEST(WebSocketMessage, SessionsAndCommandsAsTheServerWritesThem)
{
    const TWebSocketMessage session = readWebSocketMessage(QStringLiteral(R"({"Session" : "abc"})"));
    EXPECT_EQ(session.kind, Kind::Session);
    EXPECT_EQ(session.sessionId, QStringLiteral("abc"));

    // Blanks around the colon are JSON's business, and escapes are read as such.
    const TWebSocketMessage tight = readWebSocketMessage(QStringLiteral(R"({"Session":"a\"b\u00e4"})"));
    EXPECT_EQ(tight.kind, Kind::Session);
    EXPECT_EQ(tight.sessionId, QStringLiteral("a\"bä"));

    const TWebSocketMessage command =
        readWebSocketMessage(QStringLiteral(R"({"formId" : "COMP_WIZARD_START", "contextId" : "ladv-17"})"));
    EXPECT_EQ(command.kind, Kind::Command);
    EXPECT_EQ(command.formId, QStringLiteral("COMP_WIZARD_START"));
    EXPECT_EQ(command.contextId, QStringLiteral("ladv-17"));

    const TWebSocketMessage noContext = readWebSocketMessage(QStringLiteral(R"({"formId" : "ATHLETE_FORM"})"));
    EXPECT_EQ(noContext.kind, Kind::Command);
    EXPECT_TRUE(noContext.contextId.isEmpty());

    // A command that also names the session is a command, not a second session.
    const TWebSocketMessage both =
        readWebSocketMessage(QStringLiteral(R"({"Session" : "abc", "formId" : "ATHLETE_FORM"})"));
    EXPECT_EQ(both.kind, Kind::Command);
}

TEST(WebSocketMessage, MalformedTextsAreIgnoredWithAReason)
{
    const QString huge = QStringLiteral(R"({"formId" : "ATHLETE_FORM", "pad" : ")") +
                         QString(kMaxWebSocketMessageChars, QLatin1Char('x')) + QStringLiteral("\"}");
    for (const QString& text :
         {QString(), QStringLiteral("New"), QStringLiteral(R"("Session" : "abc")"),
          QStringLiteral(R"({"Session" : "abc")"), QStringLiteral(R"(["Session", "abc"])"),
          QStringLiteral(R"({"contextId" : "x"})"), QStringLiteral(R"({"formId" : 5})"),
          QStringLiteral(R"({"Session" : ""})"), QStringLiteral(R"({"Session" : {"a" : 1}})"), huge}) {
        const TWebSocketMessage m = readWebSocketMessage(text);
        EXPECT_EQ(m.kind, Kind::Ignored) << text.left(60).toStdString();
        EXPECT_FALSE(m.problem.isEmpty()) << text.left(60).toStdString();
    }
}
