#!/usr/bin/env bash
# The floor of settlement throughput on PostgreSQL: settlement_floor.sql run
# by pgbench, prepared statements, over the open orders of branch 0003 of a demo database, in order-number order
# as the screens of settlement_bench take them.
#
#   bench/settlement_floor.sh CONNINFO [SECONDS] [CLIENTS]
#
# Changes the database (settles its open orders): give it a copy. Prints
# pgbench's report; its "tps" line is settlements per second.
set -euo pipefail

conninfo="${1:?uso: $0 CONNINFO [SEGUNDOS] [CLIENTES]}"
seconds="${2:-6}"
clients="${3:-32}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

psql -q -v ON_ERROR_STOP=1 "$conninfo" <<'SQL'
DROP TABLE IF EXISTS FLOOR_ORDERS;
DROP SEQUENCE IF EXISTS FLOOR_NEXT;
CREATE SEQUENCE FLOOR_NEXT;
CREATE TABLE FLOOR_ORDERS (K BIGINT PRIMARY KEY, CDFILIAL VARCHAR(4), NRPEDIDO VARCHAR(10));
INSERT INTO FLOOR_ORDERS
  SELECT ROW_NUMBER() OVER (ORDER BY NRPEDIDO), CDFILIAL, NRPEDIDO FROM PEDIDO
  WHERE CDFILIAL = '0003' AND IDSITPEDIDO IN ('2', '6');
ANALYZE FLOOR_ORDERS;
SQL
# Two pgbench threads: the machine's cores.
pgbench -n -M prepared -c "$clients" -j 2 -T "$seconds" -f "$here/settlement_floor.sql" "$conninfo"
