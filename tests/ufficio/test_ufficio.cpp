// The office's texts, query parameters, passwords and sessions.

#include "Accesso.h"
#include "Testi.h"

#include <gtest/gtest.h>

using pc::dati::Valuta;

namespace pc::prova {

using namespace pc::ufficio;

TEST(Ufficio, TextsAreEscapedForHtmlAndJson)
{
    const struct {
        std::string in, html, json;
    } casi[] = {
        {"Hotel Roma", "Hotel Roma", "\"Hotel Roma\""},
        {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;", "\"\\u003cscript>alert('x')\\u003c/script>\""},
        {"A & \"B\"", "A &amp; &quot;B&quot;", "\"A & \\\"B\\\"\""},
        {"Citt\xC3\xA0 \xE2\x82\xAC", "Citt\xC3\xA0 \xE2\x82\xAC", "\"Citt\xC3\xA0 \xE2\x82\xAC\""},
        {std::string("a\0b", 3), "a\xEF\xBF\xBD" "b", "\"a\\u0000b\""},
        {"\xC3(", "\xEF\xBF\xBD(", "\"\\ufffd(\""},                      // broken UTF-8
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "\"\\ufffd\\ufffd\\ufffd\""},   // a surrogate
        {"riga\\n\x1B[31m", "riga\\n\xEF\xBF\xBD[31m", "\"riga\\\\n\\u001b[31m\""},
    };
    for (const auto &c : casi) {
        EXPECT_EQ(html(c.in), c.html) << c.in;
        EXPECT_EQ(json(c.in), c.json) << c.in;
    }
    EXPECT_EQ(perUrl("Hotel Roma & co/1"), "Hotel%20Roma%20%26%20co%2F1");
}

TEST(Ufficio, FiguresForPeopleAndForPrograms)
{
    const struct {
        std::optional<Valuta> v;
        int decimali;
        const char *persone, *programmi;
    } casi[] = {
        {Valuta::daTesto("1234567.891"), 2, "1.234.567,89", "1234567.89"},
        {Valuta::daTesto("-1234.5"), 1, "-1.234,5", "-1234.5"},
        {Valuta::daTesto("999.95"), 1, "1.000,0", "1000.0"},
        {Valuta::daTesto("72.44"), 1, "72,4", "72.4"},
        {Valuta::daTesto("0"), 0, "0", "0"},
        {std::nullopt, 2, "\xE2\x80\x93", "null"},
    };
    for (const auto &c : casi) {
        EXPECT_EQ(cifra(c.v, c.decimali), c.persone);
        EXPECT_EQ(numero(c.v, c.decimali), c.programmi);
    }
}

TEST(Ufficio, ParametersAreCheckedBeforeUse)
{
    using M = std::multimap<std::string, std::string>;
    // Dates: exactly GG/MM/AAAA, a real day, from 1900.
    const struct {
        const char *testo;
        bool buona;
    } date[] = {{"29/02/2028", true}, {"29/02/2026", false}, {"31/04/2026", false}, {"01/03/26", false},
                {"1/3/2026", false},  {"2026-03-01", false}, {"01.03.2026", false}, {"31/12/1899", false},
                {"01/03/2026 ", false}, {"01/03/2026';--", false}};
    for (const auto &d : date) {
        const Parametri p(M{{"dal", d.testo}});
        if (d.buona) EXPECT_EQ(p.data("dal")->ggmmaaaa(), d.testo);
        else EXPECT_THROW(p.data("dal"), ParametroErrato) << d.testo;
    }
    // Periods: both days or neither, in order, not too long.
    EXPECT_FALSE(periodo(Parametri(M{}), 10));
    EXPECT_EQ(periodo(Parametri(M{{"dal", "01/03/2026"}, {"al", "10/03/2026"}}), 10)->al.ggmmaaaa(), "10/03/2026");
    for (const M &m : {M{{"dal", "01/03/2026"}}, M{{"dal", "02/03/2026"}, {"al", "01/03/2026"}},
                       M{{"dal", "01/03/2026"}, {"al", "11/03/2026"}}})
        EXPECT_THROW(periodo(Parametri(m), 10), ParametroErrato);
    // Choices, names, repetitions, missing values.
    const Parametri p(M{{"tipo", "vendite"}, {"gruppo", "piani"}, {"nome", std::string(201, 'x')}, {"due", "a"}, {"due", "b"},
                        {"rotto", "\xC3("}, {"a_capo", "a\nb"}, {"vuoto", ""}});
    EXPECT_EQ(*p.scelta("tipo", {"vendite", "produzione"}), "vendite");
    EXPECT_THROW(p.scelta("gruppo", {"camere", "tipi"}), ParametroErrato);
    EXPECT_THROW(p.struttura("nome"), ParametroErrato);
    EXPECT_THROW(p.testo("due"), ParametroErrato);
    EXPECT_THROW(p.testo("rotto"), ParametroErrato);
    EXPECT_THROW(p.testo("a_capo"), ParametroErrato);
    EXPECT_FALSE(p.testo("vuoto"));
    EXPECT_THROW(p.obbligatorio(p.testo("vuoto"), "vuoto"), ParametroErrato);
}

TEST(Ufficio, SessionCookieIsFoundAmongOthers)
{
    const struct {
        const char *intestazione, *valore;
    } casi[] = {{"pc_sessione=abc", "abc"},
                {"a=1; pc_sessione=abc; b=2", "abc"},
                {"xpc_sessione=no; pc_sessione=si", "si"},
                {"pc_sessione2=no", ""},
                {"", ""},
                {"pc_sessione=", ""}};
    for (const auto &c : casi) EXPECT_EQ(cookie(c.intestazione, "pc_sessione"), c.valore) << c.intestazione;
}

TEST(Ufficio, PasswordsAreKeptAsArgon2idHashes)
{
    const std::string a = improntaPassword("segreta-1"), b = improntaPassword("segreta-1");
    EXPECT_EQ(a.rfind("$argon2id$", 0), 0u) << a;
    EXPECT_NE(a, b);   // a salt of its own
    EXPECT_EQ(a.find("segreta"), std::string::npos);
    EXPECT_TRUE(verificaPassword(a, "segreta-1"));
    EXPECT_TRUE(verificaPassword(b, "segreta-1"));
    for (const char *sbagliata : {"segreta-2", "", "Segreta-1", "segreta-1 "}) EXPECT_FALSE(verificaPassword(a, sbagliata));
    EXPECT_FALSE(verificaPassword("non un'impronta", "segreta-1"));
    EXPECT_FALSE(verificaPassword(std::string(500, '$'), "segreta-1"));
}

TEST(Ufficio, SessionsAndFailedLogins)
{
    Sessioni s(std::chrono::hours(1), 2);
    const std::string uno = s.apri({"anna", {"Hotel Roma"}, "h", {}}), due = s.apri({"bruno", {}, "h", {}});
    EXPECT_EQ(uno.size(), 64u);
    EXPECT_NE(uno, due);
    EXPECT_EQ(s.trova(uno)->strutture, std::vector<std::string>{"Hotel Roma"});
    EXPECT_FALSE(s.trova((uno[0] == '0' ? "1" : "0") + uno.substr(1)));   // one digit changed
    s.chiudi(uno);
    EXPECT_FALSE(s.trova(uno));
    EXPECT_EQ(s.trova(due)->utente, "bruno");
    // Beyond the limit the session closest to expiry goes.
    const std::string tre = s.apri({"carla", {}, "h", {}}), quattro = s.apri({"dario", {}, "h", {}});
    EXPECT_TRUE(s.trova(quattro));
    EXPECT_EQ(int(bool(s.trova(due))) + int(bool(s.trova(tre))), 1);
    // Expired sessions are not found.
    Sessioni brevi(std::chrono::seconds(0));
    EXPECT_FALSE(brevi.trova(brevi.apri({"anna", {}, "h", {}})));

    Rallentatore r;
    std::vector<long> attese;
    for (int i = 0; i < 7; ++i) attese.push_back(static_cast<long>(r.fallito("anna").count()));
    EXPECT_EQ(attese, (std::vector<long>{1000, 2000, 3000, 4000, 5000, 5000, 5000}));
    EXPECT_EQ(r.fallito("bruno").count(), 1000);
    r.riuscito("anna");
    EXPECT_EQ(r.fallito("anna").count(), 1000);
}

} // namespace pc::prova
