CREATE PROC [dbo].[hpx_Quelta_TravelOrderFuel_InsertIntoImportTable]
  @BatchCommitNumber INT,
  @CommitNumber NUMERIC(19,0),
  @PortalID INT,
  @ErpPk NVARCHAR(30),
  @TravelOrderPortalID INT,
  @CurrencyErpPk NVARCHAR(30),
  @NumberOfLiters FLOAT,
  @PricePerLiter FLOAT
AS
-- Stages one fuel purchase of a travel order downloaded from the Portal, unless rows of another
-- batch still wait in its table or among the headers (which would leave the row behind for good).
SET NOCOUNT ON
IF EXISTS (SELECT * FROM Tabx_Quelta_TravelOrderFuel_ImportTable WHERE BatchCommitNumber <> @BatchCommitNumber)
  OR EXISTS (SELECT * FROM Tabx_Quelta_TravelOrder_ImportTable WHERE BatchCommitNumber <> @BatchCommitNumber)
  RETURN
INSERT INTO Tabx_Quelta_TravelOrderFuel_ImportTable (BatchCommitNumber, CommitNumber, PortalID, ErpPk,
  TravelOrderPortalID, CurrencyErpPk, NumberOfLiters, PricePerLiter)
VALUES (@BatchCommitNumber, @CommitNumber, @PortalID, @ErpPk,
  @TravelOrderPortalID, @CurrencyErpPk, @NumberOfLiters, @PricePerLiter)
