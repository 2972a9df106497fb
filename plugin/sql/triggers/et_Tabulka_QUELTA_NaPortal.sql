CREATE TRIGGER et_{Tabulka}_QUELTA_NaPortal ON {Tabulka} FOR INSERT
AS
-- A new row of a code list the Portal takes over is offered to the Portal at once: its extension
-- row is made when missing and flagged.
SET NOCOUNT ON
INSERT INTO {Tabulka}_EXT (ID)
SELECT i.ID FROM inserted i
WHERE NOT EXISTS (SELECT * FROM {Tabulka}_EXT x WHERE x.ID = i.ID)
UPDATE x SET _QUELTA_NaPortal = 1
FROM {Tabulka}_EXT x
JOIN inserted i ON i.ID = x.ID
