#pragma once
// Template files as the setup wizard loads them for a competition type: each knows the SHA-1 of
// its bytes, by which a type accepts it, and answers the rule language's paths.

#include "setup/CompSetupCert.h"
#include "setup/CompetitionType.h"
#include "setup/TemplateFiles.h"

namespace tvp {

struct TResEvalCreationRun;

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

    // What the result presentations know of it: priorities, id maps and connection list.
    TPresentationDiscTemplate& cert() { return cert_; }
    bool isTeam() const;

    // Creates the discipline named for the age class with its nodes; returns its id.
    int createDiscipline(const QString& ageClassName, int ageClassId, int competitionId,
                         const CTT_DisciplineType* reference, proto::CompetitionManagementPortType& cms,
                         std::vector<TReplacedParameter>* replaced);

    TPathProperty pathProperty(QStringView name) const override;

private:
    TDisciplineTemplate templ_;
    TPresentationDiscTemplate cert_;
};

class TResEvalTemplateWrapper : public TAbstractTemplateWrapper {
public:
    explicit TResEvalTemplateWrapper(const QString& fileName);

    QString getDisplayName() const override { return Name; }
    void setDisplayName(const QString& name) override { Name = name; }
    const TResultsTemplate& templ() const { return templ_; }

    // The file name without folder and without its last extension.
    QString Name;

    TPresentationResultsTemplate& cert() { return cert_; }

    // Creates this overall scoring fed by the disciplines (with its intermediate scorings per
    // discipline when the reference names any); paramId 0 at the top, else the discipline's id.
    // Throws ENoFittingDisciplineException before any server call when no input can be fed.
    void createResEval(const std::vector<std::shared_ptr<TDisciplineTemplateWrapper>>& discs, int competitionId,
                       CTT_ResultEvaluationType* reference, CTT_AgeClassType& ageClass,
                       proto::CompetitionManagementPortType& cms, int paramId,
                       std::vector<TReplacedParameter>* replaced);

private:
    void createIn(TResEvalCreationRun& run, const std::vector<std::shared_ptr<TDisciplineTemplateWrapper>>& discs,
                  CTT_ResultEvaluationType* reference, int paramId);
    void createOne(TResEvalCreationRun& run, const std::vector<std::shared_ptr<TDisciplineTemplateWrapper>>& discs,
                   CTT_ResultEvaluationType* reference, int paramId);

    TResultsTemplate templ_;
    TPresentationResultsTemplate cert_;
};

} // namespace tvp
