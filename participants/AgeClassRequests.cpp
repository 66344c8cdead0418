#include "participants/AgeClassRequests.h"

#include "participants/ServerChanges.h"

#include <cmath>

namespace tvp {

namespace {

using enum TAgeRequestType;

void getAgeClasses(TServicePorts& ports, const TAgeRequest&, TAgeResponse& response)
{
    response.getAgeClass = ports.drs().getAgeClasses(ports.competitionId(), nullptr);
}

void createAgeClass(TServicePorts& ports, const TAgeRequest& request, TAgeResponse& response)
{
    const proto::createAgeClassResponse1 created =
        ports.cms().createAgeClass(ageClassInfo(request), ports.competitionId());
    response.AgeClassID = created.AgeClass ? created.AgeClass->AgeClassID : 0;
}

// The editor's fields, as the merge walks them.
template <class F>
decltype(auto) withAgeClassFields(F&& f)
{
    using A = proto::AgeClassInfoType;
    return f(&A::Name, &A::BillingPricePerTeam, &A::MinTeamMembers, &A::MaxTeamMembers, &A::MinMembersPerGender,
             &A::MaleMembersLessThan, &A::FemaleMembersLessThan);
}

// A field of the merge as the editor shows it.
QString ageClassFieldText(const proto::AgeClassInfoType& a, int field)
{
    switch (field) {
    case 0: return a.Name;
    case 1: return feeEditText(a.BillingPricePerTeam, QLocale()) + QStringLiteral(" \u20AC");
    case 2: return minimumText(a.MinTeamMembers);
    case 3: return maximumText(a.MaxTeamMembers, a.MinTeamMembers);
    case 4: return genderMixText(a.MinMembersPerGender);
    case 5: return genderMaximumText(a.MaleMembersLessThan);
    default: return genderMaximumText(a.FemaleMembersLessThan);
    }
}

void modifyAgeClass(TServicePorts& ports, const TAgeRequest& request, TAgeResponse& response)
{
    response.keptOwn = request.keptOwn;
    proto::AgeClassInfoType ageClass = ageClassInfo(request);
    if (request.loaded)
        for (const proto::AgeClassType& a : ports.drs().getAgeClasses(ports.competitionId(), nullptr))
            if (a.AgeClassID == request.id) {
                const proto::AgeClassInfoType server = ageClassAsEdited(a);
                const int conflict = withAgeClassFields([&](auto... fields) {
                    return mergeServerChanges(ageClass, *request.loaded, server, request.keptOwn, fields...);
                });
                if (conflict >= 0)
                    refuseChangedElsewhere(ageClassFieldCaption(conflict), conflict,
                                           ageClassFieldText(server, conflict), ageClassFieldText(ageClass, conflict));
            }
    ports.cms().modifyAgeClass(request.id, ageClass);
}

void removeAgeClass(TServicePorts& ports, const TAgeRequest& request, TAgeResponse&)
{
    ports.cms().removeAgeClass(request.id);
}

QLocale plain(QLocale locale)
{
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

const TRequestTable<TAgeRequest, TAgeResponse>& ageClassRequests()
{
    static const TRequestTable<TAgeRequest, TAgeResponse> table{{
        {rt_get, QStringLiteral("Altersklassen laden"), &getAgeClasses},
        {rt_create, QStringLiteral("Altersklasse anlegen"), &createAgeClass},
        {rt_modify, QStringLiteral("Altersklasse ändern"), &modifyAgeClass},
        {rt_delete, QStringLiteral("Altersklasse löschen"), &removeAgeClass},
    }};
    return table;
}

proto::AgeClassInfoType ageClassInfo(const TAgeRequest& r)
{
    proto::AgeClassInfoType i;
    i.Name = r.name;
    i.BillingPricePerTeam = r.pricePerTeam;
    i.MinTeamMembers = r.minTeamMem;
    i.MaxTeamMembers = r.maxTeamMem;
    i.MinMembersPerGender = r.MinMembersPerGender;
    i.MaleMembersLessThan = r.MaleLessThan;
    i.FemaleMembersLessThan = r.FemaleLessThan;
    return i;
}

proto::AgeClassInfoType ageClassAsEdited(const proto::AgeClassInfoType& stored)
{
    proto::AgeClassInfoType a = stored;
    a.Name = a.Name.trimmed();
    a.BillingPricePerTeam = roundFeeToCents(a.BillingPricePerTeam);
    if (a.MaxTeamMembers < a.MinTeamMembers)
        a.MaxTeamMembers = -1;
    return a;
}

void followServerAgeClassChanges(proto::AgeClassInfoType& shown, proto::AgeClassInfoType& loaded,
                                 const proto::AgeClassInfoType& server)
{
    withAgeClassFields([&](auto... fields) { followServerChanges(shown, loaded, server, fields...); });
}

QString ageClassFieldCaption(int field)
{
    static const QStringList captions{
        QStringLiteral("Die Bezeichnung"),
        QStringLiteral("Das Startgeld pro Team"),
        QStringLiteral("Die Mindestzahl der Athleten pro Team"),
        QStringLiteral("Die Höchstzahl der Athleten pro Team"),
        QStringLiteral("Die Geschlechtermischung"),
        QStringLiteral("Die Höchstzahl männlicher Athleten"),
        QStringLiteral("Die Höchstzahl weiblicher Athleten"),
    };
    return captions.value(field);
}

const proto::AgeClassType& defaultAgeClass()
{
    static const proto::AgeClassType d = [] {
        proto::AgeClassType a;
        a.MaxTeamMembers = -1;
        return a;
    }();
    return d;
}

double roundFeeToCents(double fee)
{
    // nearbyint rounds ties to even in the default rounding mode.
    return std::nearbyint(fee * 100.0) / 100.0;
}

QString feeEditText(double fee, const QLocale& locale)
{
    return plain(locale).toString(fee, 'f', 2);
}

std::unique_ptr<TAgeRequest> getRequestFromUI(TAgeRequestType type, const TAgeClassEditor& editor,
                                              const QLocale& locale, QString* error)
{
    auto r = std::make_unique<TAgeRequest>();
    r->reqType = type;
    r->name = editor.name.trimmed();
    if (r->name.isEmpty() && error) {
        *error = QStringLiteral("Leere Bezeichnung für Altersklasse.");
        return nullptr;
    }
    const QString fee = editor.fee.trimmed();
    if (!fee.isEmpty()) {
        bool ok = false;
        const double value = locale.toDouble(fee, &ok);
        if (ok && std::isfinite(value)) {
            r->pricePerTeam = roundFeeToCents(value);
        } else if (error) {
            *error = QStringLiteral("Ungültiger Wert für Startgeld.");
            return nullptr;
        }
    }
    r->minTeamMem = editor.minimum;
    r->maxTeamMem = editor.maximum < editor.minimum ? -1 : editor.maximum;
    r->MinMembersPerGender = editor.genderMix;
    r->MaleLessThan = editor.male;
    r->FemaleLessThan = editor.female;
    return r;
}

bool ageClassDiffers(const TAgeRequest& r, const proto::AgeClassType& a)
{
    // Fees are cents; compared so, a stored 12.34 equals the 12,34 the editor reads back.
    return r.name != a.Name || std::llround(r.pricePerTeam * 100) != std::llround(a.BillingPricePerTeam * 100) ||
           r.minTeamMem != a.MinTeamMembers || r.maxTeamMem != a.MaxTeamMembers ||
           r.MinMembersPerGender != a.MinMembersPerGender || r.MaleLessThan != a.MaleMembersLessThan ||
           r.FemaleLessThan != a.FemaleMembersLessThan;
}

QString minimumText(int minimum)
{
    return minimum > 0 ? QString::number(minimum) : QStringLiteral("unbegrenzt");
}

QString maximumText(int maximum, int minimum)
{
    return minimum <= maximum ? QString::number(maximum) : QStringLiteral("unbegrenzt");
}

QString genderMixText(int genderMix)
{
    return genderMix > 0 ? QStringLiteral("Mindestens %1 TN pro Geschlecht").arg(genderMix)
                         : QStringLiteral("nicht prüfen");
}

QString genderMaximumText(int position)
{
    return position >= 1 ? QString::number(position - 1) : QStringLiteral("unbegrenzt");
}

std::vector<TRecordListModel<proto::AgeClassType>::Column> ageClassColumns(const QLocale& locale)
{
    using A = proto::AgeClassType;
    const QLocale l = plain(locale);
    return {
        {QStringLiteral("Bezeichnung"), [](const A& a) { return a.Name; }},
        {QStringLiteral("Startgeld pro Team"),
         [l](const A& a) {
             return a.BillingPricePerTeam > 0.0 ? l.toString(a.BillingPricePerTeam, 'f', 2) + QStringLiteral(" €")
                                                : QStringLiteral("-");
         }},
        {QStringLiteral("Min #Athl."),
         [](const A& a) {
             return a.MinTeamMembers > 0 ? QString::number(a.MinTeamMembers) : QStringLiteral("unbegr.");
         }},
        {QStringLiteral("Max #Athl."),
         [](const A& a) {
             QString text =
                 a.MaxTeamMembers < a.MinTeamMembers ? QStringLiteral("unbegr.") : QString::number(a.MaxTeamMembers);
             if (a.MaleMembersLessThan > 0)
                 text += QStringLiteral(", %1 m").arg(a.MaleMembersLessThan - 1);
             if (a.FemaleMembersLessThan > 0)
                 text += QStringLiteral(", %1 w").arg(a.FemaleMembersLessThan - 1);
             return text;
         }},
        {QStringLiteral("m/w"),
         [](const A& a) {
             return a.MinMembersPerGender > 0 ? QStringLiteral("min. %1").arg(a.MinMembersPerGender)
                                              : QStringLiteral("unbeschr.");
         }},
    };
}

} // namespace tvp
