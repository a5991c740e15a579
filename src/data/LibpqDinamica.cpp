// The libpq functions the central archive uses, loaded at the first call
// (LibreriaDinamica.h).

#include "LibreriaDinamica.h"

#include <libpq-fe.h>

PC_LIBRERIA_DINAMICA(libpq, "libpq.so.5", "di PostgreSQL", "libpq5")

#define PC_PQ(ritorno, nome, parametri, argomenti) PC_INOLTRA(libpq(), ritorno, nome, parametri, argomenti)

PC_PQ(PGconn *, PQconnectdbParams, (const char *const *k, const char *const *v, int e), (k, v, e))
PC_PQ(void, PQfinish, (PGconn * c), (c))
PC_PQ(PQconninfoOption *, PQconninfoParse, (const char *s, char **e), (s, e))
PC_PQ(void, PQconninfoFree, (PQconninfoOption * o), (o))
PC_PQ(int, PQrequestCancel, (PGconn * c), (c))
PC_PQ(ConnStatusType, PQstatus, (const PGconn *c), (c))
PC_PQ(char *, PQerrorMessage, (const PGconn *c), (c))
PC_PQ(int, PQconnectionNeedsPassword, (const PGconn *c), (c))
PC_PQ(PGresult *, PQexec, (PGconn * c, const char *q), (c, q))
PC_PQ(PGresult *, PQexecParams,
      (PGconn * c, const char *q, int n, const Oid *t, const char *const *v, const int *l, const int *f, int r),
      (c, q, n, t, v, l, f, r))
PC_PQ(int, PQsendQueryParams,
      (PGconn * c, const char *q, int n, const Oid *t, const char *const *v, const int *l, const int *f, int r),
      (c, q, n, t, v, l, f, r))
PC_PQ(int, PQsetSingleRowMode, (PGconn * c), (c))
PC_PQ(PGresult *, PQgetResult, (PGconn * c), (c))
PC_PQ(int, PQputCopyData, (PGconn * c, const char *b, int n), (c, b, n))
PC_PQ(int, PQputCopyEnd, (PGconn * c, const char *e), (c, e))
PC_PQ(ExecStatusType, PQresultStatus, (const PGresult *r), (r))
PC_PQ(char *, PQresultErrorField, (const PGresult *r, int f), (r, f))
PC_PQ(int, PQntuples, (const PGresult *r), (r))
PC_PQ(char *, PQcmdTuples, (PGresult * r), (r))
PC_PQ(char *, PQgetvalue, (const PGresult *r, int t, int f), (r, t, f))
PC_PQ(int, PQgetlength, (const PGresult *r, int t, int f), (r, t, f))
PC_PQ(int, PQgetisnull, (const PGresult *r, int t, int f), (r, t, f))
PC_PQ(void, PQclear, (PGresult * r), (r))
PC_PQ(void, PQfreemem, (void *p), (p))
PC_PQ(char *, PQescapeIdentifier, (PGconn * c, const char *s, size_t n), (c, s, n))
