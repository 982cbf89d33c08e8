GRANT SELECT ON invoices TO &1;
