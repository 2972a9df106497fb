CREATE TRIGGER et_{Tabulka}_QUELTA ON {Tabulka} FOR DELETE
AS
-- Every deleted row goes into the delete log once for each Portal entity the table feeds, keyed
-- by the value the Portal knows it by; the synchronizer deletes it on the Portal.
SET NOCOUNT ON
INSERT INTO TabQUELTADeleteLog (Tabulka, PKRadku)
SELECT k.Kod, CAST(d.{Klic} AS NVARCHAR(100))
FROM deleted d
CROSS JOIN ({Kody}) k
{DalsiUcinek}
