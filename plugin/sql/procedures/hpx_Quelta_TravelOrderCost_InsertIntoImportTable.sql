CREATE PROC [dbo].[hpx_Quelta_TravelOrderCost_InsertIntoImportTable]
  @BatchCommitNumber INT,
  @CommitNumber NUMERIC(19,0),
  @PortalID INT,
  @ErpPk NVARCHAR(30),
  @TravelOrderPortalID INT,
  @Amount FLOAT,
  @CurrencyErpPk NVARCHAR(30),
  @Note NVARCHAR(255),
  @TravelOrderCostTypeErpPk NVARCHAR(30)
AS
-- Stages one cost of a travel order downloaded from the Portal, unless rows of another batch
-- still wait in its table or among the headers (which would leave the row behind for good).
SET NOCOUNT ON
IF EXISTS (SELECT * FROM Tabx_Quelta_TravelOrderCost_ImportTable WHERE BatchCommitNumber <> @BatchCommitNumber)
  OR EXISTS (SELECT * FROM Tabx_Quelta_TravelOrder_ImportTable WHERE BatchCommitNumber <> @BatchCommitNumber)
  RETURN
INSERT INTO Tabx_Quelta_TravelOrderCost_ImportTable (BatchCommitNumber, CommitNumber, PortalID, ErpPk,
  TravelOrderPortalID, Amount, CurrencyErpPk, Note, TravelOrderCostTypeErpPk)
VALUES (@BatchCommitNumber, @CommitNumber, @PortalID, @ErpPk,
  @TravelOrderPortalID, @Amount, @CurrencyErpPk, @Note, @TravelOrderCostTypeErpPk)
