#pragma once
// Template files as the setup wizard loads them for a competition type: each knows the SHA-1 of
// its bytes, by which a type accepts it, and answers the rule language's paths.

#include "setup/CompetitionType.h"
#include "setup/TemplateFiles.h"

namespace tvp {

// A template file that cannot be opened or whose reader reports an error (a wrong root included);
// the message is the reader's text.
class ETemplateFileError : public TvpError {
public:
    using TvpError::TvpError;
};

class TAbstractTemplateWrapper : public TSecureHashFile, public IPathObject {
public:
    virtual QString getDisplayName() const = 0;
    virtual void setDisplayName(const QString& name) = 0;

    TPathProperty pathProperty(QStringView name) const override;
    const IPathObject* pathItem(QStringView, qsizetype) const override { return nullptr; }

protected:
    // The file's bytes, or ETemplateFileError.
    QByteArray readFile(const QString& fileName);
};

class TDisciplineTemplateWrapper : public TAbstractTemplateWrapper {
public:
    explicit TDisciplineTemplateWrapper(const QString& fileName);

    // The discipline's name, "-" for a template without discipline data.
    QString getDisplayName() const override;
    void setDisplayName(const QString& name) override;
    const TDisciplineTemplate& templ() const { return templ_; }

    int GivenID = 0;

    TPathProperty pathProperty(QStringView name) const override;

private:
    TDisciplineTemplate templ_;
};

class TResEvalTemplateWrapper : public TAbstractTemplateWrapper {
public:
    explicit TResEvalTemplateWrapper(const QString& fileName);

    QString getDisplayName() const override { return Name; }
    void setDisplayName(const QString& name) override { Name = name; }
    const TResultsTemplate& templ() const { return templ_; }

    // The file name without folder and without its last extension.
    QString Name;

private:
    TResultsTemplate templ_;
};

struct THash {
    QString Hash;
    QString HashAlgorithm;
    bool equals(const QString& hash, const QString& algorithm) const
    {
        return Hash == hash && HashAlgorithm == algorithm;
    }
};

// The templates ticked on one wizard tab of an age class.
class TAbstractTemplateSelectionState {
public:
    void select(const QString& hash, const QString& algorithm);
    bool isSelected(const QString& hash, const QString& algorithm) const;
    bool isEmpty() const { return selected_.empty(); }
    void clearSelection() { selected_.clear(); }

    int FilterIndex = -1;

private:
    std::vector<THash> selected_;
};

} // namespace tvp
