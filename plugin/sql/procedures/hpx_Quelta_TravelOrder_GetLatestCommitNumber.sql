CREATE PROC [dbo].[hpx_Quelta_TravelOrder_GetLatestCommitNumber]
AS
-- The newest Portal commit of a travel order held by the host; the synchronizer asks the Portal
-- for the orders changed after it.
SET NOCOUNT ON
SELECT ISNULL(MAX(_Quelta_CommitNumber), 0) AS CommitNumber FROM TabICestak_EXT
