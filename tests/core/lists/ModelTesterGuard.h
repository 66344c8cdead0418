#pragma once
// Runs QAbstractItemModelTester on a model and turns its complaints into test failures.

#include <QAbstractItemModelTester>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace tvp::test {

class ModelTesterGuard {
public:
    explicit ModelTesterGuard(QAbstractItemModel* model)
    {
        active() = &warnings_;
        previous_ = qInstallMessageHandler(&collect);
        tester_ =
            std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    ~ModelTesterGuard()
    {
        tester_.reset();
        qInstallMessageHandler(previous_);
        active() = nullptr;
        EXPECT_TRUE(warnings_.isEmpty()) << warnings_.join(u'\n').toStdString();
    }
    ModelTesterGuard(const ModelTesterGuard&) = delete;
    ModelTesterGuard& operator=(const ModelTesterGuard&) = delete;

private:
    static QStringList*& active()
    {
        static QStringList* list = nullptr;
        return list;
    }
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type != QtDebugMsg && active() && message.contains(QLatin1String("FAIL")))
            active()->append(message);
    }

    QStringList warnings_;
    QtMessageHandler previous_ = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

} // namespace tvp::test
